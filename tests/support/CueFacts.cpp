#include "support/CueFacts.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>

namespace tracklore::test {
namespace {

// --- decoding -------------------------------------------------------------------------------

void AppendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

bool IsValidUtf8(std::string_view bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        int extra = 0;
        std::uint32_t code = 0, least = 0;
        if (b < 0x80) {
            ++i;
            continue;
        } else if ((b & 0xE0) == 0xC0) {
            extra = 1, code = b & 0x1F, least = 0x80;
        } else if ((b & 0xF0) == 0xE0) {
            extra = 2, code = b & 0x0F, least = 0x800;
        } else if ((b & 0xF8) == 0xF0) {
            extra = 3, code = b & 0x07, least = 0x10000;
        } else {
            return false;
        }
        if (i + extra >= bytes.size()) {
            return false;
        }
        for (int k = 1; k <= extra; ++k) {
            const auto c = static_cast<unsigned char>(bytes[i + k]);
            if ((c & 0xC0) != 0x80) {
                return false;
            }
            code = (code << 6) | (c & 0x3F);
        }
        if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            return false;
        }
        i += extra + 1;
    }
    return true;
}

std::string FromUtf16(std::string_view bytes, bool bigEndian) {
    std::string out;
    auto unit = [&](std::size_t at) -> std::uint32_t {
        const auto a = static_cast<unsigned char>(bytes[at]);
        const auto b = static_cast<unsigned char>(bytes[at + 1]);
        return bigEndian ? (a << 8 | b) : (b << 8 | a);
    };
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        std::uint32_t code = unit(i);
        if (code >= 0xD800 && code <= 0xDBFF && i + 3 < bytes.size()) {
            const std::uint32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        AppendUtf8(out, (code >= 0xD800 && code <= 0xDFFF) ? 0xFFFD : code);
    }
    return out;
}

std::string FromWindows1252(std::string_view bytes) {
    // 0x80..0x9F; the five bytes the code page leaves undefined stand for themselves.
    static const std::uint16_t high[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    std::string out;
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        AppendUtf8(out, (b >= 0x80 && b < 0xA0) ? high[b - 0x80] : b);
    }
    return out;
}

// --- lines and values -----------------------------------------------------------------------

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::string Upper(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return out;
}

// The first blank-separated word of `text`; `text` keeps what follows it, trimmed.
std::string_view TakeWord(std::string_view& text) {
    std::size_t end = 0;
    while (end < text.size() && !IsBlank(text[end])) {
        ++end;
    }
    std::string_view word = text.substr(0, end);
    text = Trim(text.substr(end));
    return word;
}

// A value with or without double quotes; an opening quote without its closing one is dropped.
std::string Unquote(std::string_view text) {
    text = Trim(text);
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
        text = text.substr(1, text.size() - 2);
    } else if (!text.empty() && text.front() == '"') {
        text.remove_prefix(1);
    }
    return std::string(Trim(text));
}

std::optional<int> Number(std::string_view text) {
    if (text.empty() || text.size() > 4) {
        return std::nullopt;
    }
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

// mm:ss:ff with any number of digits in each part (0:0:00 is 00:00:00), in frames.
std::optional<long> Frames(std::string_view text) {
    long parts[3];
    for (int k = 0; k < 3; ++k) {
        const std::size_t colon = k < 2 ? text.find(':') : text.size();
        if (colon == std::string_view::npos) {
            return std::nullopt;
        }
        const auto value = Number(text.substr(0, colon));
        if (!value) {
            return std::nullopt;
        }
        parts[k] = *value;
        text = k < 2 ? text.substr(colon + 1) : std::string_view();
    }
    if (parts[1] >= 60 || parts[2] >= 75) {
        return std::nullopt;
    }
    return (parts[0] * 60 + parts[1]) * 75 + parts[2];
}

std::string TimeText(long frames) {
    char text[32];
    std::snprintf(text, sizeof text, "%02ld:%02ld:%02ld", frames / 75 / 60, frames / 75 % 60,
                  frames % 75);
    return text;
}

void AddRem(RemFacts& rem, std::string_view rest) {
    std::string key = Upper(TakeWord(rest));
    // "REM Year: 1999" and "REM Year  : 1999" name the key YEAR.
    if (!key.empty() && key.back() == ':') {
        key.pop_back();
    } else if (!rest.empty() && rest.front() == ':') {
        rest = Trim(rest.substr(1));
    }
    const std::string value = Unquote(rest);
    auto [at, added] = rem.emplace(key, value);
    if (!added) {
        at->second += " | " + value;
    }
}

CueFileFacts ReadFileLine(std::string_view rest) {
    CueFileFacts file;
    if (!rest.empty() && rest.front() == '"') {
        const std::size_t close = rest.rfind('"');
        if (close == 0) {
            file.name = std::string(Trim(rest.substr(1)));
        } else {
            file.name = std::string(Trim(rest.substr(1, close - 1)));
            file.type = Upper(Trim(rest.substr(close + 1)));
        }
        return file;
    }
    std::size_t split = rest.size();
    while (split > 0 && !IsBlank(rest[split - 1])) {
        --split;
    }
    if (split == 0) {
        file.name = std::string(rest);
    } else {
        file.name = std::string(Trim(rest.substr(0, split)));
        file.type = Upper(rest.substr(split));
    }
    return file;
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

// The facts as lines, leaving out what the options ignore.
std::vector<std::string> FactLines(const CueFacts& facts, const CueCompareOptions& options) {
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < facts.files.size(); ++i) {
        lines.push_back("FILE " + std::to_string(i + 1) + " " + Quoted(facts.files[i].name) + " " +
                        facts.files[i].type);
    }
    auto field = [&](const std::string& prefix, const char* name, const std::string& value) {
        if (!value.empty()) {
            lines.push_back(prefix + name + " " + Quoted(value));
        }
    };
    auto rems = [&](const std::string& prefix, const RemFacts& rem, bool disc) {
        for (const auto& [key, value] : rem) {
            if (options.ignoredRemKeys.count(key) != 0 ||
                (disc && options.ignoreDiscRem && options.ignoreDiscRem(key, value))) {
                continue;
            }
            lines.push_back(prefix + "REM " + key + " " + Quoted(value));
        }
    };
    field("", "CATALOG", facts.catalog);
    field("", "CDTEXTFILE", facts.cdTextFile);
    field("", "TITLE", facts.title);
    field("", "PERFORMER", facts.performer);
    field("", "SONGWRITER", facts.songwriter);
    rems("", facts.rem, true);
    for (const CueTrackFacts& track : facts.tracks) {
        char number[16];
        std::snprintf(number, sizeof number, "TRACK %02d ", track.number);
        const std::string prefix = number;
        lines.push_back(prefix + track.type + " in FILE " + std::to_string(track.file));
        for (const auto& [index, frames] : track.indexes) {
            char name[16];
            std::snprintf(name, sizeof name, "INDEX %02d ", index);
            lines.push_back(prefix + name + TimeText(frames));
        }
        if (track.pregap >= 0) {
            lines.push_back(prefix + "PREGAP " + TimeText(track.pregap));
        }
        if (track.postgap >= 0) {
            lines.push_back(prefix + "POSTGAP " + TimeText(track.postgap));
        }
        field(prefix, "TITLE", track.title);
        field(prefix, "PERFORMER", track.performer);
        field(prefix, "SONGWRITER", track.songwriter);
        field(prefix, "ISRC", track.isrc);
        if (!track.flags.empty()) {
            std::string flags = prefix + "FLAGS";
            for (const std::string& flag : track.flags) {
                flags += " " + flag;
            }
            lines.push_back(flags);
        }
        rems(prefix, track.rem, false);
    }
    return lines;
}

}  // namespace

std::string DecodeCueBytes(std::string_view bytes, std::string* encoding) {
    auto named = [&](const char* name, std::string text) {
        if (encoding != nullptr) {
            *encoding = name;
        }
        return text;
    };
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        return named("UTF-8 with BOM", std::string(bytes.substr(3)));
    }
    if (bytes.size() >= 2 && bytes.substr(0, 2) == "\xFF\xFE") {
        return named("UTF-16LE", FromUtf16(bytes.substr(2), false));
    }
    if (bytes.size() >= 2 && bytes.substr(0, 2) == "\xFE\xFF") {
        return named("UTF-16BE", FromUtf16(bytes.substr(2), true));
    }
    if (IsValidUtf8(bytes)) {
        return named("UTF-8", std::string(bytes));
    }
    return named("Windows-1252", FromWindows1252(bytes));
}

CueFacts ReadCueFacts(std::string_view bytes) {
    CueFacts facts;
    const std::string text = DecodeCueBytes(bytes, &facts.encoding);
    CueTrackFacts* track = nullptr;
    std::size_t start = 0;
    int lineNumber = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string_view whole = Trim(std::string_view(text).substr(start, end - start));
        start = end + 1;
        ++lineNumber;
        if (whole.empty()) {
            continue;
        }
        std::string_view rest = whole;
        const std::string keyword = Upper(TakeWord(rest));
        auto odd = [&](const char* why) {
            facts.odd.push_back("line " + std::to_string(lineNumber) + ": " + why + ": " +
                                std::string(whole));
        };
        // Fields that belong to the open track, else to the disc.
        std::string* field = nullptr;
        if (keyword == "TITLE") {
            field = track ? &track->title : &facts.title;
        } else if (keyword == "PERFORMER") {
            field = track ? &track->performer : &facts.performer;
        } else if (keyword == "SONGWRITER") {
            field = track ? &track->songwriter : &facts.songwriter;
        } else if (keyword == "CATALOG") {
            field = &facts.catalog;
        } else if (keyword == "CDTEXTFILE") {
            field = &facts.cdTextFile;
        }
        if (field != nullptr) {
            *field = Unquote(rest);
        } else if (keyword == "REM") {
            AddRem(track ? track->rem : facts.rem, rest);
        } else if (keyword == "FILE") {
            facts.files.push_back(ReadFileLine(rest));
        } else if (keyword == "TRACK") {
            const auto number = Number(TakeWord(rest));
            if (!number) {
                odd("a track without a number");
            }
            facts.tracks.push_back(CueTrackFacts{});
            track = &facts.tracks.back();
            track->number = number.value_or(-1);
            track->type = Upper(TakeWord(rest));
            track->file = static_cast<int>(facts.files.size());
        } else if (track == nullptr) {
            odd(keyword == "INDEX" || keyword == "PREGAP" || keyword == "POSTGAP" ||
                        keyword == "ISRC" || keyword == "FLAGS"
                    ? "a track's line before the first TRACK"
                    : "an unknown command");
        } else if (keyword == "INDEX") {
            const auto number = Number(TakeWord(rest));
            const auto frames = Frames(TakeWord(rest));
            if (!number || !frames || !rest.empty()) {
                odd("an INDEX that is no number and time");
            } else if (!track->indexes.emplace(*number, *frames).second) {
                odd("an INDEX given twice");
            }
        } else if (keyword == "PREGAP" || keyword == "POSTGAP") {
            const auto frames = Frames(rest);
            if (!frames) {
                odd("a gap that is no time");
            } else {
                (keyword == "PREGAP" ? track->pregap : track->postgap) = *frames;
            }
        } else if (keyword == "ISRC") {
            track->isrc = Unquote(rest);
        } else if (keyword == "FLAGS") {
            while (!rest.empty()) {
                track->flags.insert(Upper(TakeWord(rest)));
            }
        } else {
            odd("an unknown command");
        }
    }
    return facts;
}

std::string Describe(const CueFacts& facts) {
    std::string text;
    for (const std::string& line : FactLines(facts, {})) {
        text += line + "\n";
    }
    return text;
}

std::vector<std::string> CompareCueFacts(const CueFacts& original, const CueFacts& saved,
                                         const CueCompareOptions& options) {
    const std::vector<std::string> before = FactLines(original, options);
    const std::vector<std::string> after = FactLines(saved, options);
    // Each line of one side cancels one equal line of the other; what is left differs.
    auto leftOver = [](const std::vector<std::string>& lines,
                       const std::vector<std::string>& other) {
        std::multiset<std::string> pool(other.begin(), other.end());
        std::vector<std::string> left;
        for (const std::string& line : lines) {
            auto at = pool.find(line);
            if (at == pool.end()) {
                left.push_back(line);
            } else {
                pool.erase(at);
            }
        }
        return left;
    };
    std::vector<std::string> differences;
    for (const std::string& line : leftOver(before, after)) {
        differences.push_back("missing in the saved sheet: " + line);
    }
    for (const std::string& line : leftOver(after, before)) {
        differences.push_back("added in the saved sheet:   " + line);
    }
    return differences;
}

}  // namespace tracklore::test
