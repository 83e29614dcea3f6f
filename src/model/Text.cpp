#include "model/Text.h"

#include <charconv>
#include <climits>
#include <cmath>

namespace tracklore {

std::string Trim(std::string_view text) {
    std::size_t begin = 0;
    while (begin < text.size() &&
           (text[begin] == ' ' || text[begin] == '\t' || text[begin] == '\r' ||
            text[begin] == '\n' || text[begin] == '\v')) {
        ++begin;
    }
    std::size_t end = text.size();
    while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t')) {
        --end;
    }
    return std::string(text.substr(begin, end - begin));
}

std::string Quote(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    out += '"';
    for (char c : text) {
        if (c == '"') {
            out += '"';
        }
        out += c;
    }
    out += '"';
    return out;
}

std::string Unquote(std::string_view text) {
    if (text.size() < 2 || text.front() != '"' || text.back() != '"') {
        return std::string(text);
    }
    std::string_view inner = text.substr(1, text.size() - 2);
    std::string out;
    out.reserve(inner.size());
    for (std::size_t i = 0; i < inner.size(); ++i) {
        out += inner[i];
        if (inner[i] == '"' && i + 1 < inner.size() && inner[i + 1] == '"') {
            ++i;
        }
    }
    return out;
}

namespace {
std::size_t LastSeparator(std::string_view path) {
    std::size_t slash = path.rfind('/');
    std::size_t backslash = path.rfind('\\');
    if (slash == std::string_view::npos) {
        return backslash;
    }
    if (backslash == std::string_view::npos) {
        return slash;
    }
    return slash > backslash ? slash : backslash;
}
}  // namespace

std::string FileNamePart(std::string_view path) {
    std::size_t sep = LastSeparator(path);
    return std::string(sep == std::string_view::npos ? path : path.substr(sep + 1));
}

std::string DirPart(std::string_view path) {
    std::size_t sep = LastSeparator(path);
    return sep == std::string_view::npos ? std::string() : std::string(path.substr(0, sep + 1));
}

std::string StripExtension(std::string_view path) {
    std::size_t dot = path.rfind('.');
    return std::string(dot == std::string_view::npos ? path : path.substr(0, dot));
}

bool HasExtension(std::string_view path) {
    std::size_t sep = LastSeparator(path);
    std::size_t from = sep == std::string_view::npos ? 0 : sep + 1;
    return path.find('.', from) != std::string_view::npos;
}

std::string WithTrailingSeparator(std::string_view path) {
    if (!path.empty() && (path.back() == '/' || path.back() == '\\')) {
        return std::string(path);
    }
    return std::string(path) + "/";
}

std::string SanitizeFileName(std::string_view name) {
    std::string out(name);
    for (char& c : out) {
        switch (c) {
            case '\\':
            case '/':
            case ':':
            case '*':
            case '?':
            case '<':
            case '>':
            case '|':
                c = '_';
                break;
            default:
                break;
        }
    }
    return out;
}

namespace {
// Position and length of the separator that splits an artist from a title, if any.
bool FindArtistSeparator(std::string_view text, std::size_t& pos, std::size_t& len) {
    for (std::string_view sep :
         {std::string_view(" / "), std::string_view(" - "), std::string_view("/")}) {
        std::size_t at = text.find(sep);
        if (at != std::string_view::npos) {
            pos = at;
            len = sep.size();
            return true;
        }
    }
    return false;
}
}  // namespace

std::string TitlePart(std::string_view text) {
    std::size_t pos = 0;
    std::size_t len = 0;
    if (!FindArtistSeparator(text, pos, len)) {
        return Trim(text);
    }
    return Trim(text.substr(pos + len));
}

std::string ArtistPart(std::string_view text) {
    std::size_t pos = 0;
    std::size_t len = 0;
    if (!FindArtistSeparator(text, pos, len)) {
        return std::string();
    }
    return Trim(text.substr(0, pos));
}

std::string ToUpperAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return out;
}

std::string ToLowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

double ParseLeadingNumber(std::string_view text) {
    std::size_t i = 0;
    auto isSpace = [](char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
    };
    while (i < text.size() && isSpace(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // from_chars reads the longest valid prefix, like strtod in the "C" locale.
    double value = 0.0;
    const char* first = text.data() + i;
    const char* last = text.data() + text.size();
    if (first < last && ((*first >= '0' && *first <= '9') || *first == '.')) {
        auto result = std::from_chars(first, last, value, std::chars_format::general);
        if (result.ec == std::errc::result_out_of_range) {
            std::string_view consumed(first, static_cast<std::size_t>(result.ptr - first));
            bool tiny = consumed.find("e-") != std::string_view::npos ||
                        consumed.find("E-") != std::string_view::npos;
            value = tiny ? 0.0 : HUGE_VAL;
        } else if (result.ec != std::errc()) {
            value = 0.0;
        }
    }
    return negative ? -value : value;
}

int ParseLeadingInt(std::string_view text) {
    double value = std::trunc(ParseLeadingNumber(text));
    if (!(value == value)) {
        return 0;
    }
    if (value > INT_MAX) {
        return INT_MAX;
    }
    if (value < INT_MIN) {
        return INT_MIN;
    }
    return static_cast<int>(value);
}

std::string_view SkipUtf8Bom(std::string_view text) {
    if (text.size() >= 3 && static_cast<unsigned char>(text[0]) == 0xEF &&
        static_cast<unsigned char>(text[1]) == 0xBB &&
        static_cast<unsigned char>(text[2]) == 0xBF) {
        text.remove_prefix(3);
    }
    return text;
}

}  // namespace tracklore
