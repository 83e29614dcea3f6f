#include <string>

#include "FuzzSupport.h"
#include "model/Time.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tracklore;
    std::string text(reinterpret_cast<const char*>(data), size);
    for (TimeFormat format : {TimeFormat::Msf, TimeFormat::Msh}) {
        std::int32_t frames = ParseTime(text, format);
        FUZZ_CHECK(frames >= -1);
        if (frames >= 0 && frames < 100 * 4500) {
            // What the program writes, it reads back.
            FUZZ_CHECK(ParseTime(FormatTime(frames, format), format) == frames);
        }
    }
    return 0;
}
