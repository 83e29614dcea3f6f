#include <cstring>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "mp3/Id3.h"

// ID3v1 records and the album-wrapper header of arbitrary bytes.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tracklore;
    if (size >= 128) {
        bool valid = IsValidId3v1(data);
        if (valid) {
            FUZZ_CHECK(std::memcmp(data, "TAG", 3) == 0);
            FUZZ_CHECK(Id3v1Title(data).size() <= 30 && Id3v1Year(data).size() <= 4);
            Id3v1Genre(data);
        }
    }
    // The header test sees the first bytes of a file; the reader measures tracks in the
    // whole input.
    std::string bytes(reinterpret_cast<const char*>(data), size);
    if (IsAlbumWrapHeader(data, size)) {
        AlbumWrapName(data, size);
    }
    fuzz::Harness h;
    MemorySource file(bytes);
    ReadAlbumWrapHeader(h.session, file, data, size);
    fuzz::CheckTrackList(h.doc);
    AlbumWrapNumber(bytes);
    return 0;
}
