#include "settings/IniFile.h"

#include "model/SafeFile.h"
#include "model/Text.h"

namespace tracklore {

namespace {
constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

bool SameName(std::string_view a, std::string_view b) {
    return ToLowerAscii(a) == ToLowerAscii(b);
}

// The name of a section header line, or nullopt when the line is none.
std::optional<std::string_view> SectionName(std::string_view line) {
    line = TrimBlanks(line);
    if (line.empty() || line.front() != '[') {
        return std::nullopt;
    }
    std::size_t close = line.find(']');
    std::string_view name =
        line.substr(1, close == std::string_view::npos ? line.size() - 1 : close - 1);
    return TrimBlanks(name);
}

struct KeyLine {
    std::string_view key;
    std::string_view value;
};

std::optional<KeyLine> ParseKeyLine(std::string_view line) {
    std::string_view trimmed = TrimBlanks(line);
    if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '[') {
        return std::nullopt;
    }
    std::size_t eq = trimmed.find('=');
    if (eq == std::string_view::npos) {
        return std::nullopt;
    }
    return KeyLine{TrimBlanks(trimmed.substr(0, eq)), TrimBlanks(trimmed.substr(eq + 1))};
}
}  // namespace

IniFile::IniFile(std::string_view text) {
    if (text.substr(0, Utf8Bom.size()) == Utf8Bom) {
        bom_ = true;
        text.remove_prefix(Utf8Bom.size());
    }
    std::size_t firstLf = text.find('\n');
    if (firstLf != std::string_view::npos && firstLf > 0 && text[firstLf - 1] == '\r') {
        lineEnd_ = "\r\n";
    }
    finalLineEnd_ = text.empty() || text.back() == '\n';
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t lf = text.find('\n', pos);
        std::string_view line =
            text.substr(pos, lf == std::string_view::npos ? std::string_view::npos : lf - pos);
        // Every CR before the LF belongs to the line end: a line kept with a stray CR would
        // read differently once it is written back with the file's line end.
        while (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines_.emplace_back(line);
        if (lf == std::string_view::npos) {
            break;
        }
        pos = lf + 1;
    }
}

bool IniFile::Load(const std::string& path) {
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) {
        *this = IniFile();
        return false;
    }
    *this = IniFile(bytes);
    return true;
}

std::optional<IniFile::Found> IniFile::FindSection(std::string_view section) const {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        auto name = SectionName(lines_[i]);
        if (!name || !SameName(*name, TrimBlanks(section))) {
            continue;
        }
        std::size_t end = i + 1;
        while (end < lines_.size() && !SectionName(lines_[end])) {
            ++end;
        }
        return Found{i, end};
    }
    return std::nullopt;
}

std::optional<std::string> IniFile::Get(std::string_view section, std::string_view key) const {
    auto found = FindSection(section);
    if (!found) {
        return std::nullopt;
    }
    for (std::size_t i = found->header + 1; i < found->end; ++i) {
        auto entry = ParseKeyLine(lines_[i]);
        if (entry && SameName(entry->key, TrimBlanks(key))) {
            return std::string(entry->value);
        }
    }
    return std::nullopt;
}

void IniFile::Set(std::string_view section, std::string_view key, std::string_view value) {
    value = value.substr(0, value.find_first_of("\r\n"));
    key = TrimBlanks(key);
    section = TrimBlanks(section);
    auto found = FindSection(section);
    if (!found) {
        if (!lines_.empty() && !TrimBlanks(lines_.back()).empty()) {
            lines_.emplace_back();
        }
        lines_.push_back("[" + std::string(section) + "]");
        lines_.push_back(std::string(key) + "=" + std::string(value));
        finalLineEnd_ = true;
        return;
    }
    std::size_t insertAt = found->header + 1;
    for (std::size_t i = found->header + 1; i < found->end; ++i) {
        auto entry = ParseKeyLine(lines_[i]);
        if (entry && SameName(entry->key, key)) {
            lines_[i] = std::string(entry->key) + "=" + std::string(value);
            return;
        }
        if (!TrimBlanks(lines_[i]).empty()) {
            insertAt = i + 1;
        }
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt),
                  std::string(key) + "=" + std::string(value));
    if (insertAt == lines_.size() - 1) {
        finalLineEnd_ = true;
    }
}

std::string IniFile::Text() const {
    std::string text;
    if (bom_) {
        text += Utf8Bom;
    }
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        text += lines_[i];
        if (i + 1 < lines_.size() || finalLineEnd_) {
            text += lineEnd_;
        }
    }
    return text;
}

}  // namespace tracklore
