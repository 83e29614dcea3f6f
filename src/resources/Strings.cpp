#include "resources/Strings.h"

#include <locale.h>
#include <clocale>
#include <cstdio>
#include <cstdlib>

#include <algorithm>

#include "resources/StringTableData.h"

namespace tracklore {

std::string_view StringTable::Text(StringId stringId) const {
    const int id = Number(stringId);
    const auto* begin = entries_;
    const auto* end = begin + count_;
    const auto* it = std::lower_bound(
        begin, end, id, [](const detail::StringTableEntry& e, int key) { return e.id < key; });
    if (it == end || it->id != id) {
        return {};
    }
    return std::string_view(it->text, it->length);
}

const StringTable& StringTable::German() {
    static const StringTable table(detail::GermanEntries, detail::GermanEntryCount);
    return table;
}

const StringTable& StringTable::English() {
    static const StringTable table(detail::EnglishEntries, detail::EnglishEntryCount);
    return table;
}

const StringTable& StringTable::Of(Language language) {
    return language == Language::German ? German() : English();
}

Language LanguageOfLocale(const LocaleEnvironment& environment) {
    // LANGUAGE is a list of preferences ("de_DE:en"); its first entry counts.
    std::string_view language = environment.language;
    language = language.substr(0, language.find(':'));
    for (std::string_view value :
         {language, std::string_view(environment.lcAll), std::string_view(environment.lcMessages),
          std::string_view(environment.lang)}) {
        if (!value.empty()) {
            return value.substr(0, 2) == "de" ? Language::German : Language::English;
        }
    }
    return Language::English;
}

std::optional<Language> ParseLanguageSetting(std::string_view value) {
    if (value == LanguageSettingGerman) {
        return Language::German;
    }
    if (value == LanguageSettingEnglish) {
        return Language::English;
    }
    return std::nullopt;
}

Language ChooseLanguage(std::string_view setting, const LocaleEnvironment& environment) {
    return ParseLanguageSetting(setting).value_or(LanguageOfLocale(environment));
}

LocaleEnvironment CurrentLocaleEnvironment() {
    auto get = [](const char* name) {
        const char* value = std::getenv(name);
        return std::string(value ? value : "");
    };
    return {get("LANGUAGE"), get("LC_ALL"), get("LC_MESSAGES"), get("LANG")};
}

namespace {

// snprintf under the "C" locale for this thread only, so a German desktop locale cannot
// turn "4096.0 Kb" into "4096,0 Kb".
class CLocaleScope {
  public:
    CLocaleScope() {
        cLocale_ = newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(0));
        if (cLocale_ != static_cast<locale_t>(0)) {
            previous_ = uselocale(cLocale_);
        }
    }
    ~CLocaleScope() {
        if (cLocale_ != static_cast<locale_t>(0)) {
            uselocale(previous_);
            freelocale(cLocale_);
        }
    }
    CLocaleScope(const CLocaleScope&) = delete;
    CLocaleScope& operator=(const CLocaleScope&) = delete;

  private:
    locale_t cLocale_ = static_cast<locale_t>(0);
    locale_t previous_ = static_cast<locale_t>(0);
};

template <typename T>
void AppendFormatted(std::string& out, const std::string& conversion, T value) {
    char buffer[512];
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    int n = std::snprintf(buffer, sizeof buffer, conversion.c_str(), value);
    if (n >= static_cast<int>(sizeof buffer)) {
        std::string big(static_cast<std::size_t>(n) + 1, '\0');
        std::snprintf(big.data(), big.size(), conversion.c_str(), value);
        big.resize(static_cast<std::size_t>(n));
        out += big;
        return;
    }
#pragma GCC diagnostic pop
    if (n > 0) {
        out.append(buffer, static_cast<std::size_t>(n));
    }
}

}  // namespace

std::string FormatText(std::string_view pattern, std::initializer_list<FormatArg> args) {
    std::string out;
    out.reserve(pattern.size() + 64);
    auto next = args.begin();
    CLocaleScope cLocale;
    std::size_t i = 0;
    while (i < pattern.size()) {
        char c = pattern[i];
        if (c != '%') {
            out += c;
            ++i;
            continue;
        }
        std::size_t start = i++;
        // flags, width, precision; widths are capped so a hostile table cannot ask for megabytes
        while (i < pattern.size() &&
               std::string_view("-+ #0").find(pattern[i]) != std::string_view::npos) {
            ++i;
        }
        while (i < pattern.size() && pattern[i] >= '0' && pattern[i] <= '9') {
            ++i;
        }
        if (i < pattern.size() && pattern[i] == '.') {
            ++i;
            while (i < pattern.size() && pattern[i] >= '0' && pattern[i] <= '9') {
                ++i;
            }
        }
        while (i < pattern.size() && (pattern[i] == 'l' || pattern[i] == 'h')) {
            ++i;
        }
        if (i >= pattern.size()) {
            out.append(pattern.substr(start));
            break;
        }
        char conv = pattern[i++];
        std::string conversion(pattern.substr(start, i - start - 1));
        conversion.erase(std::remove_if(conversion.begin(), conversion.end(),
                                        [](char ch) { return ch == 'l' || ch == 'h'; }),
                         conversion.end());
        if (conversion.size() > 8) {
            conversion = "%";
        }
        const FormatArg* arg = nullptr;
        if (conv != '%' && next != args.end()) {
            arg = &*next;
            ++next;
        }
        switch (conv) {
            case '%':
                out += '%';
                break;
            case 'd':
            case 'i':
            case 'u':
            case 'x':
            case 'X':
            case 'o':
            case 'c': {
                long long value = 0;
                if (arg && arg->kind() == FormatArg::Kind::Integer) {
                    value = arg->integer();
                } else if (arg && arg->kind() == FormatArg::Kind::Real) {
                    value = static_cast<long long>(arg->real());
                }
                if (conv == 'c') {
                    out += static_cast<char>(value);
                } else {
                    AppendFormatted(out, conversion + "ll" + conv, value);
                }
                break;
            }
            case 'f':
            case 'F':
            case 'g':
            case 'G':
            case 'e':
            case 'E': {
                double value = 0.0;
                if (arg && arg->kind() == FormatArg::Kind::Real) {
                    value = arg->real();
                } else if (arg && arg->kind() == FormatArg::Kind::Integer) {
                    value = static_cast<double>(arg->integer());
                }
                AppendFormatted(out, conversion + conv, value);
                break;
            }
            case 's': {
                std::string_view text;
                if (arg && arg->kind() == FormatArg::Kind::Text) {
                    text = arg->text();
                }
                if (conversion == "%") {
                    out.append(text);
                } else {
                    std::string copy(text);
                    AppendFormatted(out, conversion + 's', copy.c_str());
                }
                break;
            }
            default:
                // Not a conversion this program uses: keep the text as it stands.
                out.append(pattern.substr(start, i - start));
                break;
        }
    }
    return out;
}

std::vector<std::string> SplitList(std::string_view text, char separator) {
    std::vector<std::string> pieces;
    std::size_t pos = 0;
    while (true) {
        std::size_t at = text.find(separator, pos);
        pieces.emplace_back(
            text.substr(pos, at == std::string_view::npos ? std::string_view::npos : at - pos));
        if (at == std::string_view::npos) {
            break;
        }
        pos = at + 1;
    }
    return pieces;
}

}  // namespace tracklore
