#include "model/WindowTexts.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace tracklore {
namespace {

TEST(WindowTitle, UntitledNamedAndModifiedForms) {
    TrackList doc;
    EXPECT_EQ(WindowTitle(doc, German()), "Tracklore");
    doc.modified = true;
    EXPECT_EQ(WindowTitle(doc, German()), "Tracklore");  // untitled: never a mark
    doc.documentPath = "/home/ich/Alben/Nachtzug.cue";
    EXPECT_EQ(WindowTitle(doc, German()), "Nachtzug.cue * - Tracklore");
    doc.modified = false;
    EXPECT_EQ(WindowTitle(doc, German()), "Nachtzug.cue - Tracklore");
    doc.documentPath = "D:\\Musik\\alt.xmcd";
    EXPECT_EQ(WindowTitle(doc, German()), "alt.xmcd - Tracklore");
    doc.documentPath =
        "/home/ich/\xC3\x9C"
        "bung.cue";  // a UTF-8 file name
    EXPECT_EQ(WindowTitle(doc, German()), "\u00dcbung.cue - Tracklore");
}

TEST(StatusBarTexts, TotalKnownShowsDiscIdAndRecomputesIt) {
    TrackList doc;
    doc.trackCount = 3;
    doc.tracks[0].start = 150;
    doc.tracks[1].start = 15000;
    doc.tracks[2].start = 30000;
    doc.cd.totalSeconds = 500;
    doc.cd.discId = "deadbeef";  // as read from a file
    auto parts = StatusBarTexts(doc, TimeFormat::Msf, German());
    EXPECT_EQ(parts[0], "3 Track(s)");
    EXPECT_EQ(parts[1], "CD-ID: 0801f203");
    EXPECT_EQ(parts[2], "Spielzeit total: 8:20:00");
    EXPECT_EQ(doc.cd.discId, "0801f203");

    doc.cd.totalSeconds = 0;
    doc.cd.discId = "deadbeef";
    parts = StatusBarTexts(doc, TimeFormat::Msf, German());
    EXPECT_EQ(parts[0], "3 Track(s)");
    EXPECT_EQ(parts[1], "");
    EXPECT_EQ(parts[2], "");
    EXPECT_EQ(doc.cd.discId, "deadbeef");  // not touched while the total is unknown
}

TEST(TrackRowTexts, NumberPerformerTitleAndShortLength) {
    TrackList doc;
    doc.trackCount = 2;
    doc.tracks[0].start = 150;
    doc.tracks[0].performer = "Marta";
    doc.tracks[0].title = "Abfahrt";
    doc.tracks[1].start = 4803;
    auto row = TrackRowTexts(doc, 0, TimeFormat::Msf, German());
    EXPECT_EQ(row[0], " 1");
    EXPECT_EQ(row[1], "Marta");
    EXPECT_EQ(row[2], "Abfahrt");
    EXPECT_EQ(row[3], "1:02:03");
    EXPECT_EQ(TrackRowTexts(doc, 1, TimeFormat::Msf, German())[3], "(bis EOF)");
    EXPECT_EQ(TrackRowTexts(doc, 0, TimeFormat::Msh, German())[3], "1:02:04");
}

TEST(EditMenuState, FollowsSelectionCountAndClipboard) {
    auto none = ComputeEditMenuState(-1, 3, false);
    EXPECT_TRUE(none.insert);
    EXPECT_FALSE(none.cut || none.copy || none.remove || none.properties);
    EXPECT_FALSE(none.moveUp || none.moveDown || none.paste);
    EXPECT_TRUE(none.swapTitles);

    auto first = ComputeEditMenuState(0, 3, true);
    EXPECT_TRUE(first.cut && first.copy && first.remove && first.properties && first.paste);
    EXPECT_FALSE(first.moveUp);
    EXPECT_TRUE(first.moveDown);

    auto last = ComputeEditMenuState(2, 3, false);
    EXPECT_TRUE(last.moveUp);
    EXPECT_FALSE(last.moveDown);

    auto only = ComputeEditMenuState(0, 1, false);
    EXPECT_FALSE(only.moveUp || only.moveDown);

    auto empty = ComputeEditMenuState(-1, 0, true);
    EXPECT_FALSE(empty.swapTitles);
    EXPECT_TRUE(empty.insert && empty.paste);
    EXPECT_FALSE(ComputeEditMenuState(5, 3, false).copy);  // a row past the list is none
}

}  // namespace
}  // namespace tracklore
