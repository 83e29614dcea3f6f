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
// Unicode code point of one Windows-1252 byte.
char32_t Cp1252ToCodePoint(unsigned char byte);
// True when the text is valid UTF-8.
bool IsValidUtf8(std::string_view text);

}  // namespace tracklore
