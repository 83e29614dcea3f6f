#include <gtest/gtest.h>

#include "model/FieldText.h"
#include "model/TrackList.h"
#include "support/TestSupport.h"

namespace tracklore {
namespace {

TrackList ThreeTracks(int totalSeconds) {
    TrackList list;
    list.trackCount = 3;
    list.tracks[0].start = 150;
    list.tracks[1].start = 15000;
    list.tracks[2].start = 30000;
    list.cd.totalSeconds = totalSeconds;
    return list;
}

TEST(TrackLength, DerivedFromStartsAndTotal) {
    TrackList list = ThreeTracks(500);
    EXPECT_EQ(TrackLength(list, 0), 14850);
    EXPECT_EQ(TrackLength(list, 1), 15000);
    EXPECT_EQ(TrackLength(list, 2), 7500);
}

TEST(TrackLength, LastTrackUnknownWithoutTotal) {
    TrackList list = ThreeTracks(0);
    EXPECT_EQ(TrackLength(list, 1), 15000);
    EXPECT_EQ(TrackLength(list, 2), UnknownLength);
}

TEST(TrackLength, NotClampedForUnorderedStarts) {
    TrackList list = ThreeTracks(100);
    list.tracks[1].start = 100;
    EXPECT_EQ(TrackLength(list, 0), -50);
    EXPECT_EQ(TrackLength(list, 2), 7500 - 30000);
}

TEST(DiscId, ExampleFromThreeTracks) {
    EXPECT_EQ(ComputeDiscId(ThreeTracks(500)), "0801f203");
}

TEST(DiscId, UnknownTotalGivesZeros) {
    EXPECT_EQ(ComputeDiscId(ThreeTracks(0)), "00000000");
    EXPECT_EQ(ComputeDiscId(ThreeTracks(-5)), "00000000");
}

TEST(DiscId, NoTracksShiftsTotal) {
    TrackList list;
    list.cd.totalSeconds = 2;
    EXPECT_EQ(ComputeDiscId(list), "00000200");
}

TEST(DiscId, DigitSums) {
    EXPECT_EQ(DigitSum(0), 0);
    EXPECT_EQ(DigitSum(-17), 0);
    EXPECT_EQ(DigitSum(4233), 12);
}

TEST(DiscId, ModuloOfDigitSumsAndNinetyNineTracks) {
    TrackList list;
    list.trackCount = 99;
    for (int i = 0; i < 99; ++i) {
        list.tracks[i].start = 150 + i * 4500 * 2;  // 2 minutes apart
    }
    list.cd.totalSeconds = 99 * 120 + 2;
    std::string id = ComputeDiscId(list);
    ASSERT_EQ(id.size(), 8u);
    EXPECT_EQ(id.substr(6), "63");  // 99 tracks
}

TEST(FieldText, CutsToCapacityMinusOne) {
    FieldText<5> year;
    year = "20034";
    EXPECT_EQ(year.str(), "2003");
    TrackList list;
    list.cd.title = std::string(500, 'x');
    EXPECT_EQ(list.cd.title.size(), 127u);
    list.tracks[0].title = std::string(300, 'y');
    EXPECT_EQ(list.tracks[0].title.size(), 299u);
}

TEST(ClearTrackList, EmptiesDocumentAndMarksModified) {
    test::Fixture f;
    f.doc = ThreeTracks(500);
    f.doc.cd.title = "Album";
    f.doc.documentPath = "/tmp/x.cue";
    f.doc.documentKind = DocumentKindXmcd;
    ClearTrackList(f.session);
    EXPECT_EQ(f.doc.trackCount, 0);
    EXPECT_TRUE(f.doc.cd.title.empty());
    EXPECT_EQ(f.doc.cd.totalSeconds, 0);
    EXPECT_EQ(f.doc.tracks[1].start, 0);
    EXPECT_TRUE(f.doc.documentPath.empty());
    EXPECT_EQ(f.doc.documentKind, DocumentKindCue);
    EXPECT_TRUE(f.doc.modified);
    EXPECT_EQ(f.ui.titleUpdates, 1);
}

TEST(SetModified, RefreshesOnlyOnChange) {
    test::Fixture f;
    SetModified(f.session, false);
    EXPECT_EQ(f.ui.titleUpdates, 0);
    SetModified(f.session, true);
    SetModified(f.session, true);
    EXPECT_EQ(f.ui.titleUpdates, 1);
    EXPECT_EQ(f.ui.statusUpdates, 1);
}

}  // namespace
}  // namespace tracklore
