#pragma once

#include <string>
#include <string_view>

namespace tracklore {

// Windows-1252 <-> UTF-8 at the edges of the program. The five bytes that Windows-1252
// leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 code points of the same
// value, so every byte survives a round trip.
std::string Cp1252ToUtf8(std::string_view text);
// Characters without a Windows-1252 byte become '?'; invalid UTF-8 bytes are taken as
// Windows-1252 bytes, so text from a misdeclared file is not lost.
std::string Utf8ToCp1252(std::string_view text);
// A file or folder name as Linux hands it over (UTF-8 bytes) made into Windows-1252 text for
// a message or a display field; bytes that are not UTF-8 pass unchanged.
inline std::string FileNameText(std::string_view name) {
    return Utf8ToCp1252(name);
}
// Unicode code point of one Windows-1252 byte.
char32_t Cp1252ToCodePoint(unsigned char byte);
// True when the text is valid UTF-8.
bool IsValidUtf8(std::string_view text);

}  // namespace tracklore
