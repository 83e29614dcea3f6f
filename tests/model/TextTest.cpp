#include <gtest/gtest.h>

#include "model/Cp1252.h"
#include "model/Text.h"

namespace tracklore {
namespace {

TEST(Trim, DifferentCharacterSetsAtEachEnd) {
    EXPECT_EQ(Trim(" \t\r\n\vabc \t"), "abc");
    EXPECT_EQ(Trim("abc\r"), "abc\r");  // CR is only removed at the start
    EXPECT_EQ(Trim(""), "");
}

TEST(Quote, RoundTripsWithUnquote) {
    for (const char* text : {"", "plain", "say \"hi\"", "\"", "\"\"", "a\"b\"\"c"}) {
        EXPECT_EQ(Unquote(Quote(text)), text) << text;
    }
    EXPECT_EQ(Quote("a\"b"), "\"a\"\"b\"");
    EXPECT_EQ(Unquote("\"half"), "\"half");
    EXPECT_EQ(Unquote("\""), "\"");
}

TEST(Paths, BothSeparatorsSplit) {
    EXPECT_EQ(FileNamePart("CD1\\01 - Intro.wav"), "01 - Intro.wav");
    EXPECT_EQ(FileNamePart("/music/a.mp3"), "a.mp3");
    EXPECT_EQ(FileNamePart("a/b\\c"), "c");
    EXPECT_EQ(FileNamePart("plain"), "plain");
    EXPECT_EQ(DirPart("/music/a.mp3"), "/music/");
    EXPECT_EQ(DirPart("C:\\x\\a.mp3"), "C:\\x\\");
    EXPECT_EQ(DirPart("plain"), "");
}

TEST(Paths, Extensions) {
    EXPECT_EQ(StripExtension("/a.b/c.cue"), "/a.b/c");
    EXPECT_EQ(StripExtension("/a.b/c"), "/a");  // the last "." of the whole text
    EXPECT_EQ(StripExtension("noext"), "noext");
    EXPECT_TRUE(HasExtension("album.txt"));
    EXPECT_FALSE(HasExtension("/a.b/album"));
    EXPECT_FALSE(HasExtension("C:\\a.b\\album"));
    EXPECT_EQ(WithTrailingSeparator(""), "/");
    EXPECT_EQ(WithTrailingSeparator("/x"), "/x/");
    EXPECT_EQ(WithTrailingSeparator("/x/"), "/x/");
}

TEST(Paths, SanitizeKeepsNamesInTheirFolder) {
    EXPECT_EQ(SanitizeFileName("a/b:c?"), "a_b_c_");
    EXPECT_EQ(SanitizeFileName("x\\*<>|\"y"), "x_____\"y");
}

TEST(ArtistTitle, SeparatorOrder) {
    EXPECT_EQ(ArtistPart("Foo / Bar - Baz"), "Foo");
    EXPECT_EQ(TitlePart("Foo / Bar - Baz"), "Bar - Baz");
    EXPECT_EQ(ArtistPart("AC/DC - Back"), "AC/DC");
    EXPECT_EQ(TitlePart("AC/DC - Back"), "Back");
    EXPECT_EQ(ArtistPart("  Intro "), "");
    EXPECT_EQ(TitlePart("  Intro "), "Intro");
    EXPECT_EQ(ArtistPart("A/B"), "A");
    EXPECT_EQ(TitlePart("A/B"), "B");
}

TEST(Numbers, ReadLikeAtofInTheCLocale) {
    EXPECT_EQ(ParseLeadingInt("1.9"), 1);
    EXPECT_EQ(ParseLeadingInt("-1.9"), -1);
    EXPECT_EQ(ParseLeadingInt("letters"), 0);
    EXPECT_EQ(ParseLeadingInt("  42 seconds"), 42);
    EXPECT_EQ(ParseLeadingInt("+7"), 7);
    EXPECT_EQ(ParseLeadingInt("1e3"), 1000);
    EXPECT_EQ(ParseLeadingInt("99999999999999"), 2147483647);
    EXPECT_DOUBLE_EQ(ParseLeadingNumber(".5"), 0.5);
    EXPECT_DOUBLE_EQ(ParseLeadingNumber("1,5"), 1.0);
}

TEST(Lines, SplitLikeTheReaders) {
    std::vector<std::string> lines;
    ForEachLine("a\r\nb\n\rc\r\n\nlast", 10, [&](std::string_view line) {
        lines.emplace_back(line);
        return true;
    });
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "c", "", "last"}));
    lines.clear();
    ForEachLine("0123456789ABC\n", 10, [&](std::string_view line) {
        lines.emplace_back(line);
        return true;
    });
    EXPECT_EQ(lines, (std::vector<std::string>{"0123456789", ""}));
}

TEST(Cp1252, RoundTripOfEveryByte) {
    std::string all;
    for (int b = 1; b < 256; ++b) {
        all += static_cast<char>(b);
    }
    std::string utf8 = Cp1252ToUtf8(all);
    EXPECT_TRUE(IsValidUtf8(utf8));
    EXPECT_EQ(Utf8ToCp1252(utf8), all);
}

TEST(Cp1252, KnownCharacters) {
    EXPECT_EQ(Cp1252ToUtf8("\x80"), "\u20ac");
    EXPECT_EQ(Cp1252ToUtf8("\xe4"), "\u00e4");
    EXPECT_EQ(Cp1252ToUtf8("\x81"), "\u0081");
    EXPECT_EQ(Utf8ToCp1252("\u00fc\u2013"), "\xfc\x96");
    EXPECT_EQ(Utf8ToCp1252("\u4e2d"), "?");
    EXPECT_EQ(Utf8ToCp1252("a\xff"), "a\xff");  // invalid UTF-8 stays as bytes
}

TEST(Utf8Bom, SkippedOnlyAtTheStart) {
    EXPECT_EQ(SkipUtf8Bom("\xEF\xBB\xBFTITLE"), "TITLE");
    EXPECT_EQ(SkipUtf8Bom("TITLE"), "TITLE");
}

}  // namespace
}  // namespace tracklore
