#include <gtest/gtest.h>

#include "model/Time.h"

namespace tracklore {
namespace {

TEST(ParseTime, BothLengthsAndEverySeparator) {
    for (const char* text :
         {"1:02:03", "01:02:03", "01.02.03", "01-02-03", "01/02/03", "01,02,03", "01 02 03"}) {
        EXPECT_EQ(ParseTime(text, TimeFormat::Msf), 4653) << text;
    }
}

TEST(ParseTime, RejectsWrongLengthsAndSeparators) {
    EXPECT_EQ(ParseTime("1:2:3", TimeFormat::Msf), -1);
    EXPECT_EQ(ParseTime("001:02:03", TimeFormat::Msf), -1);
    EXPECT_EQ(ParseTime("", TimeFormat::Msf), -1);
    EXPECT_EQ(ParseTime("01;02;03", TimeFormat::Msf), -1);
    EXPECT_EQ(ParseTime("01:02x03", TimeFormat::Msf), -1);
}

TEST(ParseTime, ThirdFieldByFormat) {
    EXPECT_EQ(ParseTime("01:02:75", TimeFormat::Msf), -1);
    EXPECT_EQ(ParseTime("01:02:74", TimeFormat::Msf), 4724);
    EXPECT_EQ(ParseTime("01:02:75", TimeFormat::Msh), 4706);
    EXPECT_EQ(ParseTime("01:02:99", TimeFormat::Msh), 4724);
}

TEST(ParseTime, SecondsCarryIntoMinutes) {
    EXPECT_EQ(ParseTime("00:75:00", TimeFormat::Msf), 5625);
}

TEST(ParseTime, AtofLikeFields) {
    EXPECT_EQ(ParseTime(" 1:02:03", TimeFormat::Msf), 4653);  // leading blank allowed
    EXPECT_EQ(ParseTime("ab:02:03", TimeFormat::Msf), 153);   // non-digits read as 0
    EXPECT_EQ(ParseTime("-1:00:00", TimeFormat::Msf), -1);    // negative result
}

TEST(FormatTime, BothForms) {
    EXPECT_EQ(FormatTime(4653, TimeFormat::Msf), "01:02:03");
    EXPECT_EQ(FormatTimeShort(4653, TimeFormat::Msf), "1:02:03");
    EXPECT_EQ(FormatTime(449999, TimeFormat::Msf), "99:59:74");
    EXPECT_EQ(FormatTime(0, TimeFormat::Msf), "00:00:00");
    EXPECT_EQ(FormatTime(102 * 4500 + 16 * 75, TimeFormat::Msf), "102:16:00");
    EXPECT_EQ(FormatTimeShort(4233 * 75, TimeFormat::Msf), "70:33:00");
}

TEST(FormatTime, HundredthsParseBackToTheSameFrame) {
    for (int frames = 0; frames < 75 * 3; ++frames) {
        std::string text = FormatTime(frames, TimeFormat::Msh);
        EXPECT_EQ(ParseTime(text, TimeFormat::Msh), frames) << text;
    }
    EXPECT_EQ(FormatTime(74, TimeFormat::Msh), "00:00:99");
}

}  // namespace
}  // namespace tracklore
