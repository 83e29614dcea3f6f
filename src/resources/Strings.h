#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "resources/StringIds.h"

namespace tracklore {

// The number of a string-table entry, as messages record it.
constexpr int Number(StringId id) {
    return static_cast<int>(id);
}

// The id of a number that a platform record carries (a file dialog's title, a message).
constexpr StringId IdOfNumber(int number) {
    return static_cast<StringId>(number);
}

// One argument of a printf-style format from the string table.
class FormatArg {
  public:
    enum class Kind { Integer, Real, Text };
    FormatArg(int value) : kind_(Kind::Integer), integer_(value) {}        // NOLINT
    FormatArg(long value) : kind_(Kind::Integer), integer_(value) {}       // NOLINT
    FormatArg(long long value) : kind_(Kind::Integer), integer_(value) {}  // NOLINT
    FormatArg(unsigned value) : kind_(Kind::Integer), integer_(value) {}   // NOLINT
    FormatArg(unsigned long value)                                         // NOLINT
        : kind_(Kind::Integer), integer_(static_cast<long long>(value)) {}
    FormatArg(double value) : kind_(Kind::Real), real_(value) {}              // NOLINT
    FormatArg(std::string_view value) : kind_(Kind::Text), text_(value) {}    // NOLINT
    FormatArg(const std::string& value) : kind_(Kind::Text), text_(value) {}  // NOLINT
    FormatArg(const char* value) : kind_(Kind::Text), text_(value) {}         // NOLINT

    Kind kind() const { return kind_; }
    long long integer() const { return integer_; }
    double real() const { return real_; }
    std::string_view text() const { return text_; }

  private:
    Kind kind_;
    long long integer_ = 0;
    double real_ = 0.0;
    std::string_view text_;
};

// Fills a printf-style pattern (%d, %0d, %02d, %s, %x, %0.1f, % .16g, %% ...) with the
// arguments, always in the "C" locale. A conversion without an argument, or with one of
// another kind, is filled with 0 or an empty text instead of reading garbage.
std::string FormatText(std::string_view pattern, std::initializer_list<FormatArg> args);

namespace detail {
struct StringTableEntry;
}

// The languages the program speaks.
enum class Language { German, English };

// The texts of one language, by id. The table in effect is reached through the session (the
// core) or the application (the Qt layer), so that another language is another table.
class StringTable {
  public:
    StringTable(const detail::StringTableEntry* entries, std::size_t count)
        : entries_(entries), count_(count) {}

    // The text of an entry (UTF-8); empty for an id without text.
    std::string_view Text(StringId id) const;
    // The text filled with the arguments (FormatText).
    std::string Format(StringId id, std::initializer_list<FormatArg> args) const {
        return FormatText(Text(id), args);
    }

    // The table built from resources/strings.de.tsv.
    static const StringTable& German();
    // The table built from resources/strings.en.tsv.
    static const StringTable& English();
    static const StringTable& Of(Language language);

  private:
    const detail::StringTableEntry* entries_;
    std::size_t count_;
};

// The locale variables that name the user's language, as the environment holds them (empty:
// not set).
struct LocaleEnvironment {
    std::string language;    // LANGUAGE: a ":"-separated list of preferences
    std::string lcAll;       // LC_ALL
    std::string lcMessages;  // LC_MESSAGES
    std::string lang;        // LANG
};
LocaleEnvironment CurrentLocaleEnvironment();

// The language of the desktop: the first of LANGUAGE's first entry, LC_ALL, LC_MESSAGES and
// LANG that is set decides; German when it starts with "de", English otherwise (C, POSIX and
// nothing set included).
Language LanguageOfLocale(const LocaleEnvironment& environment);

// The values of the language setting: "auto" (or anything else) follows the desktop.
inline constexpr std::string_view LanguageSettingAutomatic = "auto";
inline constexpr std::string_view LanguageSettingGerman = "de";
inline constexpr std::string_view LanguageSettingEnglish = "en";
std::optional<Language> ParseLanguageSetting(std::string_view value);

// The language the program speaks: the one the setting forces, else the desktop's.
Language ChooseLanguage(std::string_view setting, const LocaleEnvironment& environment);

// Splits a "|"-separated list (filters, categories, genres) into its pieces, empty pieces kept.
std::vector<std::string> SplitList(std::string_view text, char separator = '|');

}  // namespace tracklore
