#pragma once

#include <string>
#include <string_view>

namespace tracklore {

// Removes blanks and tabs at the end, and blanks, tabs, CR, LF and vertical tabs at the start.
std::string Trim(std::string_view text);
// A double quote, the text with every double quote doubled, a double quote.
std::string Quote(std::string_view text);
// Inverse of Quote when the text both begins and ends with a double quote.
std::string Unquote(std::string_view text);

// Path helpers. Documents written on Windows carry backslashes, Linux paths slashes: both
// separate, the later one counts.
std::string FileNamePart(std::string_view path);
std::string DirPart(std::string_view path);
std::string StripExtension(std::string_view path);
bool HasExtension(std::string_view path);
// The text with "/" appended unless it already ends in a separator; "" gives "/".
std::string WithTrailingSeparator(std::string_view path);
// Replaces \ / : * ? < > | by "_", so that a proposed name stays inside its folder.
std::string SanitizeFileName(std::string_view name);

// Split of a combined "artist / title" text.
std::string TitlePart(std::string_view text);
std::string ArtistPart(std::string_view text);

std::string ToUpperAscii(std::string_view text);
std::string ToLowerAscii(std::string_view text);

// Reads a number as the C library's atof does in the "C" locale (leading white space, sign,
// digits, fraction, exponent; nothing readable gives 0), independent of the process locale.
double ParseLeadingNumber(std::string_view text);
// ParseLeadingNumber truncated toward zero and clamped to the int32 range.
int ParseLeadingInt(std::string_view text);

// Splits a text into lines at LF, as the readers do: one CR at the start and one at the end
// of each line removed, the piece after the last LF processed too (even when empty).
// Lines longer than maxLength bytes are cut.
template <typename Fn>
void ForEachLine(std::string_view text, std::size_t maxLength, Fn&& fn) {
    std::size_t pos = 0;
    while (true) {
        std::size_t lf = text.find('\n', pos);
        std::string_view line =
            text.substr(pos, lf == std::string_view::npos ? std::string_view::npos : lf - pos);
        if (!line.empty() && line.front() == '\r') {
            line.remove_prefix(1);
        }
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.size() > maxLength) {
            line = line.substr(0, maxLength);
        }
        if (!fn(line)) {
            return;
        }
        if (lf == std::string_view::npos) {
            return;
        }
        pos = lf + 1;
    }
}

// Readers keep lines up to 2047 characters; the rest of a longer line is cut off.
constexpr std::size_t MaxLineLength = 2047;

// Skips a UTF-8 byte-order mark at the start of a text.
std::string_view SkipUtf8Bom(std::string_view text);

}  // namespace tracklore
