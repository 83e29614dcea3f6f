#include <string>

#include "FuzzSupport.h"
#include "mp3/CueTag.h"

// The frame walk over an old ID3v2.3.0 tag, and the tag assembled from its frames.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tracklore;
    std::string oldTag = "ID3\x03";
    oldTag.push_back('\0');
    oldTag.append(reinterpret_cast<const char*>(data), size);
    TrackList doc;
    doc.trackCount = 1;
    doc.tracks[0].start = 150;
    FrameTable table;
    AddCueFrames(table, doc, "TITLE \"x\"\r\n");
    FUZZ_CHECK(table.Count() == 7);
    CarryOverFrames(table, oldTag);
    FUZZ_CHECK(table.Count() <= 20);
    int geob = 0;
    for (const auto& slot : table.Slots()) {
        geob += std::string(slot.id.data(), 4) == "GEOB";
    }
    FUZZ_CHECK(geob == 1);  // an old GEOB frame is never carried over
    const std::uint64_t end = table.FramesEnd();
    std::string tag = AssembleTag(table, end + 512);
    FUZZ_CHECK(tag.size() == end + 512);
    FUZZ_CHECK(tag.compare(0, 4, "ID3\x03") == 0);
    return 0;
}
