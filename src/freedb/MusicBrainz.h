#pragma once

#include <atomic>
#include <chrono>
#include <string>
#include <string_view>

#include "freedb/Database.h"

namespace tracklore {

// The MusicBrainz disc ID of a table of contents: SHA-1 over the first and last track number
// and the 100 frame offsets (lead-out first, missing tracks 0) as upper-case hex, in base64
// with "." "_" "-" for "+" "/" "=". 28 characters.
std::string MusicBrainzDiscId(const DiscToc& toc);

// The toc parameter: "FIRST+LAST+LEADOUT+OFFSET…".
std::string MusicBrainzTocParameter(const DiscToc& toc);

// The request addresses, on the MusicBrainz address of the client.
std::string MusicBrainzDiscIdAddress(const DatabaseClient& client, const DiscToc& toc);
std::string MusicBrainzFuzzyAddress(const DatabaseClient& client, const DiscToc& toc);
std::string MusicBrainzSearchAddress(const DatabaseClient& client, const SearchWords& words);

// "Tracklore/VERSION ( E-MAIL )".
std::string MusicBrainzUserAgent(const DatabaseClient& client);

// The releases of a discid answer (an object with "releases", or a disc with "releases") as
// candidates, the tracks of the medium that holds the disc ID (else of the medium whose track
// count is nearest `trackCount`).
std::vector<Candidate> ParseMusicBrainzReleases(std::string_view json, TocMatch match,
                                                std::string_view discId, int trackCount);
// The releases of a search answer as hits.
std::vector<DatabaseHit> ParseMusicBrainzSearch(std::string_view json);

// The look-up of a table of contents: by the disc ID (unless the lead-out is not exact), then
// by the TOC alone; a release found both ways is listed once, as found by its disc ID.
// `trackCount` is the looked-up list's number of tracks.
LookupResult MusicBrainzLookup(const DiscToc& toc, const DatabaseClient& client,
                               const std::atomic<bool>* cancel = nullptr);

// The address of one release by its ID, with its media, tracks, artists and genres.
std::string MusicBrainzReleaseAddress(const DatabaseClient& client, std::string_view releaseId);

// One release by its ID (a hit of the release search) as a candidate, with the tracks of the
// medium whose track count is nearest `trackCount`.
LookupResult MusicBrainzRelease(std::string_view releaseId, int trackCount,
                                const DatabaseClient& client,
                                const std::atomic<bool>* cancel = nullptr);

// The release search by artist and album words.
SearchResult MusicBrainzSearch(const SearchWords& words, const DatabaseClient& client,
                               const std::atomic<bool>* cancel = nullptr);

}  // namespace tracklore
