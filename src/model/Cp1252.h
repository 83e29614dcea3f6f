#pragma once

#include <cstddef>
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
// The Windows-1252 byte of a code point, or -1 when it has none.
int CodePointToCp1252(char32_t codePoint);

// One UTF-8 sequence at text[at]: its length, 0 when no valid sequence starts there.
std::size_t DecodeUtf8(std::string_view text, std::size_t at, char32_t& codePoint);
// Appends the UTF-8 form of a code point.
void AppendUtf8(std::string& out, char32_t codePoint);
// True when the text is valid UTF-8.
bool IsValidUtf8(std::string_view text);

}  // namespace tracklore
