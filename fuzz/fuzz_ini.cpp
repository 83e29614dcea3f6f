#include <string>

#include "FuzzSupport.h"
#include "settings/IniFile.h"

// The settings file reader over arbitrary text: reading never fails, and a value written
// back reads back the same while every other key stays as it was.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tracklore;
    std::string text(reinterpret_cast<const char*>(data), size);
    IniFile ini(text);
    auto urlBefore = ini.Get("FreeDB", "URL");
    auto mshBefore = ini.Get("Formats", "MSH");
    ini.Set("State", "LastDir", "/home/user/Musik/");
    FUZZ_CHECK(ini.Get("State", "LastDir") == std::optional<std::string>("/home/user/Musik/"));
    // A key of another section keeps its value (unless it is the same key in a section of
    // the same name).
    FUZZ_CHECK(ini.Get("FreeDB", "URL") == urlBefore);
    FUZZ_CHECK(ini.Get("Formats", "MSH") == mshBefore);
    IniFile again(ini.Text());
    FUZZ_CHECK(again.Get("State", "LastDir") == std::optional<std::string>("/home/user/Musik/"));
    return 0;
}
