#include <cmath>
#include <string_view>

#include "FuzzSupport.h"
#include "mp3/Mpeg.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tracklore;
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // The stream size a caller claims may differ from what is there.
    for (std::int64_t claimed : {static_cast<std::int64_t>(size), std::int64_t{0},
                                 static_cast<std::int64_t>(size) * 1000, std::int64_t{1} << 40}) {
        MemorySource source(bytes);
        MpegStreamInfo info = ProbeMpegStream(source, claimed);
        if (info.isMpeg) {
            FUZZ_CHECK(info.bitrate >= 1 && info.bitrate <= 600);
            FUZZ_CHECK(info.durationSeconds >= 2.0f);
            FUZZ_CHECK(info.firstFrameOffset >= 0 && info.firstFrameOffset < 65535);
        }
        FUZZ_CHECK(info.id3v2Size >= 0);
    }
    // The length measurement from any byte, over the bytes there and over more than there are.
    if (size >= 4) {
        const std::uint64_t start = data[0] % (size - 3);
        for (std::uint64_t end : {static_cast<std::uint64_t>(size), std::uint64_t{size} * 100}) {
            MemorySource source(bytes);
            const MpegLength length = MeasureMpegLength(source, start, end);
            FUZZ_CHECK(std::isfinite(length.seconds) && length.seconds >= 0.0);
            FUZZ_CHECK(length.audioBytes >= 0 &&
                       static_cast<std::uint64_t>(length.audioBytes) <= end);
        }
    }
    return 0;
}
