#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mp3/CueTag.h"
#include "support/Id3Tags.h"
#include "support/TestSupport.h"

namespace tracklore {
namespace {

using test::mp3::BigEndian32;
using test::mp3::Id3Frame;

std::string OldTag(const std::string& frames, std::size_t padding = 0, std::uint8_t flags = 0) {
    return test::mp3::Id3Tag(frames, padding, flags);
}

std::vector<std::string> Ids(const FrameTable& table) {
    std::vector<std::string> ids;
    for (const FrameSlot& slot : table.Slots()) {
        ids.emplace_back(slot.id.data(), 4);
    }
    return ids;
}

const std::vector<std::string> NewIds = {"TRCK", "TPE1", "TIT2", "TALB", "TYER", "TCON", "GEOB"};

TrackList Album(int tracks) {
    TrackList doc;
    doc.cd.title = "Best Of";
    doc.cd.artist = "Band";
    doc.cd.year = "1999";
    doc.cd.genre = "Rock";
    doc.trackCount = tracks;
    for (int i = 0; i < tracks; ++i) {
        doc.tracks[i].start = 150 + i * 4500;
    }
    return doc;
}

TEST(CueTag, SevenFramesFromTheAlbum) {
    FrameTable table;
    table.AddTextFrame("COMM", "left over");  // the table is cleared first
    AddCueFrames(table, Album(12), "CUE TEXT\r\n");
    ASSERT_EQ(Ids(table), NewIds);
    const auto& slots = table.Slots();
    EXPECT_EQ(slots[0].data, std::string("\0"
                                         "12",
                                         3));
    EXPECT_EQ(slots[1].data, std::string("\0Band", 5));
    EXPECT_EQ(slots[2].data, std::string("\0Best Of", 8));
    EXPECT_EQ(slots[3].data, slots[2].data);
    EXPECT_EQ(slots[4].data, std::string("\0"
                                         "1999",
                                         5));
    EXPECT_EQ(slots[5].data, std::string("\0Rock", 5));
    EXPECT_EQ(slots[6].data, std::string("\0text\0mp3cue CueSheet\0Q", 23) +
                                 "CUESHEET\r\nCUE TEXT\r\nENDCUESHEETCUEVERSION\r\nTracklore "
                                 "v1.6ENDCUEVERSIONCUEINFO\r\nENDCUEINFO");
    for (const FrameSlot& slot : slots) {
        EXPECT_EQ(slot.flags[0], 0);
        EXPECT_EQ(slot.flags[1], 0);
    }
}

TEST(CueTag, AssembledBytes) {
    FrameTable table;
    table.AddTextFrame("TIT2", "ab");
    int index = table.AddFrame("PRIV");
    table.Slot(index).flags = {0x40, 0x01};
    table.Slot(index).data = std::string(300, 'x');
    ASSERT_EQ(table.FramesEnd(), 10u + 13 + 310);
    std::string tag = AssembleTag(table, 1000);
    ASSERT_EQ(tag.size(), 1000u);
    EXPECT_EQ(tag.substr(0, 10), std::string("ID3\x03\0\0\0\0\x07\x5E", 10));  // 990
    EXPECT_EQ(tag.substr(10, 13), Id3Frame("TIT2", std::string("\0ab", 3)));
    EXPECT_EQ(tag.substr(23, 310), Id3Frame("PRIV", std::string(300, 'x'), 0x40, 0x01));
    EXPECT_EQ(tag.substr(333), std::string(1000 - 333, '\0'));

    unsigned char size[4];
    SyncsafeEncode(size, 0x0FFFFFFF);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(size), 4), "\x7F\x7F\x7F\x7F");
    SyncsafeEncode(size, (1u << 21) + (2u << 14) + (3u << 7) + 4);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(size), 4), "\x01\x02\x03\x04");
}

TEST(CueTag, CarriesOverTheFirstFrameOfEachNewIdWithItsFlags) {
    std::string frames =
        Id3Frame("COMM", std::string("\0engNice", 8), 0x00, 0x40) +
        Id3Frame("TIT2", std::string("\0Old title", 10)) +
        Id3Frame("GEOB", std::string("\0text\0old\0Qold", 14)) +
        Id3Frame("APIC", std::string("\0image/png\0\x03\0PNGDATA", 21), 0x20, 0x00) +
        Id3Frame("COMM", std::string("\0engSecond", 10)) +
        Id3Frame("TRCK", std::string("\0"
                                     "5",
                                     2));
    FrameTable table;
    AddCueFrames(table, Album(2), "cue");
    std::string geob = table.Slots()[6].data;
    CarryOverFrames(table, OldTag(frames, 512));

    std::vector<std::string> expected = NewIds;
    expected.insert(expected.end(), {"COMM", "APIC"});
    ASSERT_EQ(Ids(table), expected);
    EXPECT_EQ(table.Slots()[2].data, std::string("\0Best Of", 8));  // the new title stays
    EXPECT_EQ(table.Slots()[6].data, geob);                         // the old GEOB is dropped
    EXPECT_EQ(table.Slots()[7].data, std::string("\0engNice", 8));
    EXPECT_EQ(table.Slots()[7].flags[1], 0x40);
    EXPECT_EQ(table.Slots()[8].data, std::string("\0image/png\0\x03\0PNGDATA", 21));
    EXPECT_EQ(table.Slots()[8].flags[0], 0x20);
}

TEST(CueTag, TwentyFramesAtMost) {
    std::string frames;
    for (int i = 0; i < 14; ++i) {
        frames += Id3Frame("X" + std::string(1, static_cast<char>('A' + i)) + "00", "data");
    }
    FrameTable table;
    AddCueFrames(table, Album(1), "cue");
    CarryOverFrames(table, OldTag(frames));
    ASSERT_EQ(table.Count(), MaxTagFrames);
    EXPECT_EQ(Ids(table).back(), "XM00");  // the 13th; the 14th found no room
    EXPECT_EQ(table.AddFrame("ZZZZ"), -1);
}

TEST(CueTag, WalkEndsAtPaddingAndAtFramesThatRunPastTheTag) {
    // Nothing after the zero padding is read.
    FrameTable table;
    CarryOverFrames(table,
                    OldTag(Id3Frame("COMM", "a") + std::string(10, '\0') + Id3Frame("PRIV", "b")));
    EXPECT_EQ(Ids(table), std::vector<std::string>{"COMM"});

    // Signed ID bytes that add up to zero count as padding too.
    table.Clear();
    CarryOverFrames(table,
                    OldTag(Id3Frame("COMM", "a") + Id3Frame(std::string("\x01\xFF\0\0", 4), "b") +
                           Id3Frame("PRIV", "c")));
    EXPECT_EQ(Ids(table), std::vector<std::string>{"COMM"});

    // A frame whose size runs past the tag ends the walk, whatever the size.
    for (std::uint32_t size : {5u, 0x7FFFFFFFu, 0xFFFFFFF6u, 0xFFFFFFFFu}) {
        table.Clear();
        std::string bad = "PRIV" + BigEndian32(size) + std::string("\0\0abcd", 6);
        CarryOverFrames(table, OldTag(Id3Frame("COMM", "a") + bad));
        EXPECT_EQ(Ids(table), std::vector<std::string>{"COMM"}) << size;
    }

    // A frame header cut by the end of the tag.
    table.Clear();
    CarryOverFrames(table, OldTag(Id3Frame("COMM", "a") + "PRIV\0\0"));
    EXPECT_EQ(Ids(table), std::vector<std::string>{"COMM"});

    // Nothing but a header.
    table.Clear();
    CarryOverFrames(table, OldTag(""));
    CarryOverFrames(table, "ID3");
    EXPECT_EQ(table.Count(), 0);
}

TEST(CueTag, ExtendedHeaderAndUnsynchronisation) {
    std::string frames = Id3Frame("COMM", "comment") + Id3Frame("PRIV", "p");
    // Extended header without CRC (size 6) and with CRC (size 10).
    std::string plain = BigEndian32(6) + std::string(6, '\0');
    std::string crc = BigEndian32(10) + std::string(6, '\0') + "\x12\x34\x56\x78";
    for (const std::string& extended : {plain, crc}) {
        FrameTable table;
        CarryOverFrames(table, OldTag(extended + frames, 100, 0x40));
        EXPECT_EQ(Ids(table), (std::vector<std::string>{"COMM", "PRIV"})) << extended.size();
    }
    // An extended header larger than the tag carries nothing over.
    FrameTable table;
    CarryOverFrames(table, OldTag(BigEndian32(5000) + frames, 0, 0x40));
    EXPECT_EQ(table.Count(), 0);

    // An unsynchronised tag: the zero bytes stuffed after 0xFF are not part of the frames.
    std::string picture("\xFF\xE0\xFF\x00\xFF", 5);
    std::string stuffed = std::string("\xFF\x00\xE0\xFF\x00\x00\xFF\x00", 8);
    std::string unsyncFrames = "APIC" + BigEndian32(5) + std::string(2, '\0') + stuffed;
    table.Clear();
    CarryOverFrames(table, OldTag(unsyncFrames + Id3Frame("COMM", "c"), 20, 0x80));
    ASSERT_EQ(Ids(table), (std::vector<std::string>{"APIC", "COMM"}));
    EXPECT_EQ(table.Slots()[0].data, picture);
}

TEST(CueTag, InPlaceOnlyWhenTheNewFramesLeaveRoom) {
    TagPlan noTag = PlanTag(700, 0);
    EXPECT_FALSE(noTag.inPlace);
    EXPECT_EQ(noTag.length, 700u + 512);
    EXPECT_TRUE(noTag.fits);

    TagPlan exact = PlanTag(700, 710);  // H + 10 equals the old length: rewrite
    EXPECT_FALSE(exact.inPlace);
    EXPECT_EQ(exact.length, 1212u);

    TagPlan room = PlanTag(700, 711);
    EXPECT_TRUE(room.inPlace);
    EXPECT_EQ(room.length, 711u);

    EXPECT_TRUE(PlanTag(MaxSyncsafeValue + 10 - 512, 0).fits);
    EXPECT_FALSE(PlanTag(MaxSyncsafeValue + 11 - 512, 0).fits);
    // An old tag whose length cannot be stated again (a footer made it longer) is not reused.
    EXPECT_FALSE(PlanTag(1000, MaxSyncsafeValue + 20).inPlace);
}

}  // namespace
}  // namespace tracklore
