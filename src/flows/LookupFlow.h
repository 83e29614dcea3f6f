#pragma once

#include <string_view>
#include <vector>

#include "flows/Session.h"
#include "freedb/Database.h"
#include "model/Job.h"
#include "settings/Settings.h"

namespace tracklore {

// The client of the databases as the settings describe it (addresses, e-mail, client name).
DatabaseClient DatabaseClientFromSettings(const Settings& settings);

// Which databases a look-up or search asks.
enum class LookupSources { Both, Gnudb, MusicBrainz };

// The end of a look-up: the candidates of every database that answered (gnudb's first), and
// a problem for each database that did not (refused, unreachable, not understood).
struct LookupOutcome {
    bool cancelled = false;
    std::vector<Candidate> candidates;
    std::vector<DatabaseProblem> problems;
    // The list had no table of contents (no tracks, no length, a track without disc position).
    bool noToc = false;
};

// The look-up, a job: asks gnudb (query and reads) and/or MusicBrainz (disc ID and TOC) for the
// track list's table of contents. It only reads `list`: the document stays as it is. Progress
// reports LookupRunning with the percentage of requests done.
LookupOutcome LookUpTrackList(const TrackList& list, LookupSources sources,
                              const DatabaseClient& client, const JobContext& job);

// What applying a candidate did.
struct CandidateApplied {
    int tracksFilled = 0;
    // The candidate has another number of tracks than the list: only the tracks both have
    // were filled (the caller shows LookupTrackCountDiffers).
    bool trackCountDiffers = false;
};

// Fills album title, artist, year and genre (these two when the candidate has them) and each
// track's title and performer of the tracks both have; the starts, lengths and every other field
// stay. Texts longer than a field are cut as every field cuts them. Pure: no session, no window.
CandidateApplied ApplyCandidate(TrackList& list, const Candidate& candidate);

// The flow's end of a look-up that the user chose `candidate` from: ApplyCandidate on the
// document, marked modified (the window refreshed, the title following), and
// LookupTrackCountDiffers shown as information when the track counts differ.
CandidateApplied ApplyCandidateToDocument(Session& session, const Candidate& candidate);

// The messages of the problems of a look-up or search, one error box per database: the server's
// own text with a hint (LookupRefused, LookupUnreachable, LookupBadReply); LookupNoToc for a
// list without table of contents; LookupNothingFound when nothing failed and nothing was found.
// Returns true when an error was shown.
bool ReportLookupOutcome(Session& session, const LookupOutcome& outcome);

// The text the candidate list shows for one candidate: "gnudb  Artist / Title  (1999)  12 Titel
// CD-ID" (match and track count difference included), from the string table.
std::string CandidateLine(const Candidate& candidate, const StringTable& strings);

// The search by words, a job: gnudb's protocol search and/or the MusicBrainz release search.
// SearchWords of a single field come from SplitSearchWords.
struct DatabaseSearchOutcome {
    bool cancelled = false;
    std::vector<DatabaseHit> hits;
    std::vector<DatabaseProblem> problems;
};
DatabaseSearchOutcome SearchDatabases(const SearchWords& words, LookupSources sources,
                                      const DatabaseClient& client, const JobContext& job);

// The error messages of a search, as ReportLookupOutcome (LookupNothingFound when empty).
bool ReportSearchProblems(Session& session, const DatabaseSearchOutcome& outcome);

// The e-mail setting is empty: the editor asks for it (with LookupEmailExplanation) before the
// first request; the command line refuses with LookupEmailMissing.
bool DatabaseEmailMissing(const Settings& settings);
// A plausible e-mail address for the databases: something before and after one "@", no
// blanks.
bool LooksLikeEmail(std::string_view text);

}  // namespace tracklore
