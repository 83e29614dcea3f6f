#include <gtest/gtest.h>

#include "model/Cp1252.h"
#include "platform/Platform.h"
#include "resources/Strings.h"
#include "support/TestSupport.h"

namespace tracklore {
namespace {

std::string Utf8(int id) {
    return std::string(String(id));
}

TEST(StringTable, SampleOfTexts) {
    EXPECT_EQ(Utf8(1001), "Tracklore");
    EXPECT_EQ(Utf8(1020), "Fehler");
    EXPECT_EQ(Utf8(1019), "(bis EOF)");
    EXPECT_EQ(Utf8(1029), "Unbekanntes Schl\u00fcsselwort in Zeile %0d:\r\n%s");
    EXPECT_EQ(Utf8(1026),
              "Die Datei ist zu gross: %s.\r\nMaximale Dateigr\u00f6sse ist %0d bytes. Bitte "
              "w\u00e4hle eine andere Datei.");
    EXPECT_EQ(Utf8(1064),
              "CUE-sheet wurde im ID3v2-tag gefunden, geschrieben von %s. M\u00f6chtest Du es "
              "extrahieren?\r\n\r\nWenn Du Nein w\u00e4hlst, wird der  Suchvorgang fortgesetzt..");
    EXPECT_EQ(Utf8(1102), "\">");
    EXPECT_EQ(Utf8(3032), "Gebe den Namen des Interpreten oder der Gruppe ein. ");
    EXPECT_EQ(
        Utf8(3000),
        "Name der CD oder Album. F\u00fcge \"CD 1\" oder \"CD 2\" hinzu falls es n\u00f6tig ist.");
    EXPECT_EQ(Utf8(1070), "%0.1f Kb");
    EXPECT_EQ(Utf8(1152), "  </tracks>\r\n</cd>\r\n");
    EXPECT_EQ(Utf8(4301), "Einf\u00fcgen &neuer Track ...\tEinfg");
}

TEST(StringTable, TextsAreUtf8) {
    EXPECT_EQ(String(1015), "L\u00e4nge");
    EXPECT_EQ(String(1150).substr(0, 43), "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>");
}

TEST(StringTable, MissingNumberIsEmpty) {
    EXPECT_TRUE(String(1008).empty());
    EXPECT_TRUE(String(0).empty());
    EXPECT_TRUE(String(999999).empty());
}

TEST(FormatText, ConversionsOfTheTable) {
    EXPECT_EQ(FormatString(1028, {12, "TRACK 0 AUDIO"}),
              "Falsche Syntax in Zeile 12:\r\nTRACK 0 AUDIO");
    EXPECT_EQ(FormatString(1018, {70, 3, 9}), "70:03:09");
    EXPECT_EQ(FormatString(1070, {4096.0}), "4096.0 Kb");
    EXPECT_EQ(FormatText("% .16g", {3.0}), " 3");
    EXPECT_EQ(FormatText("%0d %%", {100}), "100 %");
    EXPECT_EQ(FormatText("%02d:%s", {7, std::string("x")}), "07:x");
}

TEST(FormatText, MissingOrWrongArgumentsAreHarmless) {
    EXPECT_EQ(FormatText("%s and %d", {}), " and 0");
    EXPECT_EQ(FormatText("%d", {"text"}), "0");
    EXPECT_EQ(FormatText("100%", {}), "100%");
    EXPECT_EQ(FormatText("%q", {}), "%q");
    std::string big(5000, 'x');
    EXPECT_EQ(FormatText("<%s>", {big}), "<" + big + ">");
}

TEST(FormatText, NotAffectedByTheProcessLocale) {
    // A German desktop locale must not turn the decimal point into a comma.
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) {
        GTEST_SKIP() << "no German locale installed";
    }
    EXPECT_EQ(FormatString(1070, {1.5}), "1.5 Kb");
    std::setlocale(LC_NUMERIC, "C");
}

TEST(FilterLists, ParsedIntoPairs) {
    auto filters = ParseFilterList(std::string(String(1024)));
    ASSERT_EQ(filters.size(), 4u);
    EXPECT_EQ(filters[0].pattern, "*.cue;*.xmcd;*.txt");
    EXPECT_EQ(filters[3].description, "Alle Dateien");
    EXPECT_EQ(ParseFilterList(std::string(String(1041))).size(), 4u);
    EXPECT_EQ(ParseFilterList(std::string(String(1038))).size(), 2u);
}

TEST(Messages, DefaultButtons) {
    Message m;
    m.buttons = MsgButtons::YesNo;
    m.defaultButton = 1;
    EXPECT_EQ(m.DefaultAnswer(), MsgResult::No);
    m.buttons = MsgButtons::YesNoCancel;
    m.defaultButton = 0;
    EXPECT_EQ(m.DefaultAnswer(), MsgResult::Yes);
    m.buttons = MsgButtons::OkCancel;
    m.defaultButton = 7;
    EXPECT_EQ(m.DefaultAnswer(), MsgResult::Ok);
}

// The language from the locale variables and the setting: LANGUAGE's first entry, then
// LC_ALL, LC_MESSAGES and LANG; the first one set decides; "de..." is German, all else English.
TEST(Language, ChosenFromSettingAndLocale) {
    const auto de = Language::German;
    const auto en = Language::English;
    struct Case {
        const char* setting;
        LocaleEnvironment environment;  // LANGUAGE, LC_ALL, LC_MESSAGES, LANG
        Language expected;
    } cases[] = {
        {"auto", {"", "", "", "de_DE.UTF-8"}, de},
        {"auto", {"", "", "", "en_US.UTF-8"}, en},
        {"auto", {"", "", "", "C.UTF-8"}, en},
        {"auto", {"", "", "", "POSIX"}, en},
        {"auto", {"", "", "", ""}, en},
        {"auto", {"", "", "", "fr_FR.UTF-8"}, en},
        {"auto", {"de:en", "", "", "en_US.UTF-8"}, de},
        {"auto", {"en_GB:de", "C", "de_DE", "de_DE.UTF-8"}, en},
        {"auto", {":de", "", "", "en_US.UTF-8"}, en},
        {"auto", {"", "C.UTF-8", "de_DE.UTF-8", "de_DE.UTF-8"}, en},
        {"auto", {"", "de_AT.UTF-8", "en_US.UTF-8", "en_US.UTF-8"}, de},
        {"auto", {"", "", "de_CH.UTF-8", "C.UTF-8"}, de},
        {"", {"", "", "", "de_DE.UTF-8"}, de},
        {"fr", {"", "", "", "C.UTF-8"}, en},
        {"de", {"", "", "", "C.UTF-8"}, de},
        {"en", {"de_DE", "de_DE", "de_DE", "de_DE.UTF-8"}, en},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ChooseLanguage(c.setting, c.environment), c.expected)
            << c.setting << " / " << c.environment.language << " / " << c.environment.lcAll << " / "
            << c.environment.lcMessages << " / " << c.environment.lang;
    }
    EXPECT_EQ(StringTable::Of(en).Text(str::ErrorCaption), "Error");
    EXPECT_EQ(StringTable::Of(de).Text(str::ErrorCaption), "Fehler");
}

}  // namespace
}  // namespace tracklore
