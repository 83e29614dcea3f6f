#include <algorithm>
#include <string>

#include "FuzzSupport.h"
#include "flows/Reading.h"
#include "formats/Document.h"
#include "formats/Xmcd.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tracklore;
    // Half of the inputs get the header, so the reader's body is reached.
    // The readers see decoded text, as every caller gives them.
    std::string text =
        DecodeDocumentBytes(std::string(reinterpret_cast<const char*>(data), size), "windows-1252")
            .text;
    if (size > 0 && (data[0] & 1)) {
        text = "# xmcd\n" + text.substr(std::min<std::size_t>(1, text.size()));
    }
    fuzz::Harness h;
    bool isXmcd = ReadXmcd(h.session, text);
    fuzz::CheckTrackList(h.doc);
    FUZZ_CHECK(h.ui.messages.size() <= 1);
    if (!isXmcd) {
        FUZZ_CHECK(h.ui.messages.empty() && h.doc.trackCount == 0);
    }
    if (!h.ui.messages.empty()) {
        FUZZ_CHECK(h.doc.trackCount == 0);
    }
    return 0;
}
