#include <string>

#include "FuzzSupport.h"
#include "freedb/Cddb.h"
#include "freedb/MusicBrainz.h"

// Answers of the CD databases, as a hostile server could send them: a CDDB protocol reply and
// its match lines, and MusicBrainz JSON read as releases and as search hits.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tracklore;
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (auto reply = ParseCddbReply(text)) {
        FUZZ_CHECK(reply->code >= 0 && reply->code <= 999);
        FUZZ_CHECK(text.find(reply->statusLine) != std::string::npos);
        for (const std::string& line : reply->lines) {
            FUZZ_CHECK(line != ".");
            if (auto match = ParseCddbMatchLine(line)) {
                FUZZ_CHECK(!match->category.empty());
            }
        }
    }
    const int trackCount = size ? data[0] % 100 : 0;
    for (const Candidate& candidate :
         ParseMusicBrainzReleases(text, TocMatch::DiscId, "disc", trackCount)) {
        FUZZ_CHECK(!candidate.id.empty());
        FUZZ_CHECK(candidate.trackCountDifference == candidate.TrackCount() - trackCount);
    }
    for (const DatabaseHit& hit : ParseMusicBrainzSearch(text)) {
        FUZZ_CHECK(!hit.id.empty());
    }
    return 0;
}
