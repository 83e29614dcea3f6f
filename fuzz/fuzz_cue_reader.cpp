#include <string>

#include "FuzzSupport.h"
#include "flows/Reading.h"
#include "formats/CueSheet.h"
#include "formats/Document.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tracklore;
    // The readers see decoded text, as every caller gives them.
    const std::string text =
        DecodeDocumentBytes(std::string(reinterpret_cast<const char*>(data), size), "windows-1252")
            .text;
    for (int msh = 0; msh <= 1; ++msh) {
        fuzz::Harness h;
        h.settings.MSH = msh;
        bool ok = ReadCueSheet(h.session, text, "");
        fuzz::CheckTrackList(h.doc);
        if (!ok) {
            FUZZ_CHECK(h.doc.trackCount == 0);
            FUZZ_CHECK(h.ui.messages.size() == 1);
        } else {
            FUZZ_CHECK(h.ui.messages.empty());
            FUZZ_CHECK(!h.doc.cd.artist.empty());
        }
    }
    return 0;
}
