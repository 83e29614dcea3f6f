#include <string>

#include "FuzzSupport.h"
#include "formats/Document.h"

// The content recognition of opening a file: bytes as read from disk, text-mode conversion,
// XMCD first, then CUE.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tracklore;
    std::string bytes(reinterpret_cast<const char*>(data), size);
    fuzz::Harness h;
    int kind = ReadDocumentText(h.session, DocumentTextFromBytes(bytes), "");
    FUZZ_CHECK(kind == 0 || kind == DocumentKindCue || kind == DocumentKindXmcd);
    fuzz::CheckTrackList(h.doc);
    if (kind == 0) {
        FUZZ_CHECK(h.doc.trackCount == 0);
    }
    return 0;
}
