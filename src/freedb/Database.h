#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "freedb/Download.h"
#include "model/TrackList.h"

namespace tracklore {

// The CD databases the program asks by protocol.
enum class DatabaseSource { Gnudb, MusicBrainz };

// "gnudb" or "musicbrainz": the name the command line takes and prints.
std::string_view DatabaseSourceName(DatabaseSource source);
std::optional<DatabaseSource> DatabaseSourceFromName(std::string_view name);

// Where and as whom the databases are asked. The flows fill it from the settings
// (DatabaseClientFromSettings in flows/LookupFlow.h); tests shorten the waits.
struct DatabaseClient {
    std::string cddbAddress;         // e.g. https://gnudb.gnudb.org/~cddb/cddb.cgi
    std::string musicBrainzAddress;  // e.g. https://musicbrainz.org/ws/2/ (trailing "/" optional)
    std::string email;               // sent as User-Email, in hello and in the User-Agent
    std::string clientName = "Tracklore";
    std::string clientVersion;  // empty: the program's version
    DownloadLimits limits;
    // Least time between two requests to MusicBrainz, over the whole process.
    std::chrono::milliseconds musicBrainzGap{1000};
    // Longest wait for a Retry-After before the one retry of a 503 answer.
    std::chrono::milliseconds maxRetryWait{30000};
};

// The table of contents of a disc as the databases want it: absolute frame offsets (the first
// track normally at 150) of tracks firstTrack … firstTrack + offsets.size() - 1, and the
// lead-out in frames. `leadoutExact` is false when the lead-out comes from whole seconds.
struct DiscToc {
    int firstTrack = 1;
    std::vector<std::int32_t> offsets;
    std::int32_t leadout = 0;
    bool leadoutExact = false;

    int LastTrack() const { return firstTrack + static_cast<int>(offsets.size()) - 1; }
};

// The table of contents of a track list: the starts of its tracks and, as lead-out, the end of
// its last audio file where that is known in frames, else its total length in whole seconds.
// Nothing when the list has no tracks, no length, a track whose disc position is not known, or
// starts that do not rise.
std::optional<DiscToc> TocOfTrackList(const TrackList& list);

// How a candidate was found.
enum class TocMatch {
    DiscId,  // by its exact disc ID (gnudb: an exact match; MusicBrainz: the disc ID)
    Fuzzy,   // by a near table of contents (gnudb: inexact; MusicBrainz: the TOC-only form)
};

struct CandidateTrack {
    std::string title;
    std::string performer;  // empty: the album artist
};

// One album a database offers for a table of contents. Texts are UTF-8.
struct Candidate {
    DatabaseSource source = DatabaseSource::Gnudb;
    std::string id;      // gnudb: the category; MusicBrainz: the release ID
    std::string discId;  // gnudb: the CDDB disc ID; MusicBrainz: the disc ID when matched by it
    std::string artist;
    std::string title;
    std::string year;
    std::string genre;  // empty when the database gives none
    std::vector<CandidateTrack> tracks;
    TocMatch match = TocMatch::DiscId;
    // How many more (positive) or fewer tracks the candidate has than the looked-up list.
    int trackCountDifference = 0;

    int TrackCount() const { return static_cast<int>(tracks.size()); }
};

// One hit of a search by words.
struct DatabaseHit {
    DatabaseSource source = DatabaseSource::Gnudb;
    std::string id;           // gnudb: the category; MusicBrainz: the release ID
    std::string discId;       // "-" when the hit names none
    std::string artistTitle;  // "Artist / Title"
};

// The words of a search: the artist's and the album's. The command line and a single search
// field give "ARTIST / ALBUM"; words without " / " are the artist's (see SplitSearchWords).
struct SearchWords {
    std::string artist;
    std::string album;
};
SearchWords SplitSearchWords(std::string_view words);

// How a request to a database ended.
enum class DatabaseStatus {
    Done,         // answered; the result may be empty (no match)
    Unreachable,  // no answer at all (no connection, a timeout, a body too long)
    Refused,      // the server answered with an error: `serverText` holds its own words
    BadReply,     // the answer could not be understood: `serverText` holds its first line
    Cancelled,
};

struct DatabaseProblem {
    DatabaseSource source = DatabaseSource::Gnudb;
    DatabaseStatus status = DatabaseStatus::Done;
    std::string serverText;
};

struct LookupResult {
    DatabaseProblem problem;  // status Done when the database answered
    std::vector<Candidate> candidates;
};

struct SearchResult {
    DatabaseProblem problem;
    std::vector<DatabaseHit> hits;
};

}  // namespace tracklore
