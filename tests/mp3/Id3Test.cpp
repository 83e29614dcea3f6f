#include <gtest/gtest.h>

#include <cmath>

#include "flows/Mp3ScanFlow.h"
#include "model/Genres.h"
#include "mp3/Id3.h"
#include "mp3/Mpeg.h"
#include "support/Mp3Album.h"
#include "support/TestSupport.h"

namespace tracklore {
namespace {

using namespace test::mp3;

const unsigned char* Bytes(const std::string& s) {
    return reinterpret_cast<const unsigned char*>(s.data());
}

std::string WithBytes(std::string record, std::size_t offset, const std::string& bytes) {
    record.replace(offset, bytes.size(), bytes);
    return record;
}

TEST(Id3v1, ValidityLooksAtTextFieldsUpToTheirFirstZeroByte) {
    const std::string plain = Id3v1("Song", "Artist", "Album", "1999");
    EXPECT_TRUE(IsValidId3v1(Bytes(plain)));
    EXPECT_FALSE(IsValidId3v1(Bytes(WithBytes(plain, 0, "TAB"))));

    // A control byte after a zero byte that follows text does not count.
    std::string afterZero = WithBytes(plain, id3v1::Title, std::string("Four\0\x01\x01\x01", 8));
    EXPECT_TRUE(IsValidId3v1(Bytes(afterZero)));
    // A control byte before the first zero byte does, in any of the five fields.
    EXPECT_FALSE(IsValidId3v1(Bytes(WithBytes(plain, id3v1::Artist, "Ar\ttist"))));
    EXPECT_FALSE(IsValidId3v1(Bytes(WithBytes(plain, id3v1::Album, "\x1F"))));
    EXPECT_FALSE(IsValidId3v1(Bytes(WithBytes(plain, id3v1::Year, "19\n9"))));
    EXPECT_FALSE(
        IsValidId3v1(Bytes(WithBytes(plain, id3v1::Comment, std::string(28, 'c') + "\x05"))));
    // Only 29 comment bytes are tested: the 30th is the ID3v1.1 track number.
    EXPECT_TRUE(
        IsValidId3v1(Bytes(WithBytes(plain, id3v1::Comment, std::string(29, 'c') + "\x05"))));
    // A field that starts with a zero byte: any non-zero byte after it, even a control
    // byte, makes it valid.
    EXPECT_TRUE(IsValidId3v1(Bytes(WithBytes(plain, id3v1::Album, std::string("\0\x02", 2)))));

    // Year of two digits and two zero bytes, or four blanks (read as an empty year).
    EXPECT_TRUE(IsValidId3v1(Bytes(WithBytes(plain, id3v1::Year, std::string("99\0\0", 4)))));
    std::string blankYear = WithBytes(plain, id3v1::Year, "    ");
    EXPECT_TRUE(IsValidId3v1(Bytes(blankYear)));
    EXPECT_EQ(Id3v1Year(Bytes(blankYear)), "");

    // Byte 126 (ID3v1.1 track number) and the genre byte are not tested; high bytes are text.
    EXPECT_TRUE(IsValidId3v1(Bytes(WithBytes(plain, 126, "\x0A\x0A"))));
    EXPECT_TRUE(IsValidId3v1(Bytes(WithBytes(plain, id3v1::Title, "\xC4rger \xFC"))));
}

TEST(Id3v1, FieldTextsAreCutAtZeroAndTrimmed) {
    std::string record = Id3v1("  Title with blanks   ", "", "Band - Album", "2001", 17);
    EXPECT_EQ(Id3v1Title(Bytes(record)), "Title with blanks");
    EXPECT_EQ(Id3v1Artist(Bytes(record)), "");
    EXPECT_EQ(Id3v1Album(Bytes(record)), "Band - Album");
    EXPECT_EQ(Id3v1Year(Bytes(record)), "2001");
    EXPECT_EQ(Id3v1Genre(Bytes(record)), "Rock");
    // A field filled to its full width has no terminator and is not read into the next one.
    std::string full = Id3v1(std::string(30, 'x'), "next", "", "");
    EXPECT_EQ(Id3v1Title(Bytes(full)), std::string(30, 'x'));
}

TEST(Genres, SlotsAndNames) {
    EXPECT_EQ(GenreName(0), "Blues");
    EXPECT_EQ(GenreName(17), "Rock");
    EXPECT_EQ(GenreName(141), "Christian Rock");
    EXPECT_EQ(GenreName(142), "");
    EXPECT_EQ(GenreName(143), "");
    EXPECT_EQ(GenreName(144), "Merengue");
    EXPECT_EQ(GenreName(145), "Salsa");
    EXPECT_EQ(GenreName(146), "Thrash Metal");
    EXPECT_EQ(GenreName(147), "");
    EXPECT_EQ(GenreName(255), "");
    EXPECT_EQ(GenreName(-1), "");
    EXPECT_EQ(SplitList(GenreList, '|').size(), static_cast<std::size_t>(GenreSlotCount));

    std::vector<GenreEntry> entries = GenreEntries();
    ASSERT_EQ(entries.size(), 145u);
    EXPECT_EQ(entries.front().name, "Blues");
    EXPECT_EQ(entries[141].name, "Christian Rock");
    EXPECT_EQ(entries[142].name, "Merengue");
    EXPECT_EQ(entries[142].number, 144);
    EXPECT_EQ(entries.back().number, 146);
}

TEST(AlbumWrap, Numbers) {
    EXPECT_EQ(AlbumWrapNumber("12.34"), 123400);
    EXPECT_EQ(AlbumWrapNumber("0.0512"), 512);
    EXPECT_EQ(AlbumWrapNumber("1234.5678"), 12345678);
    EXPECT_EQ(AlbumWrapNumber("3000.5"), 30005000);
    EXPECT_EQ(AlbumWrapNumber("100.0"), 1000000);
    EXPECT_EQ(AlbumWrapNumber("1234"), 12341234);  // without a point, both parts are the text
    EXPECT_EQ(AlbumWrapNumber(""), 0);
    // Absurd digit runs are held at a limit instead of overflowing (found by fuzzing).
    EXPECT_GT(AlbumWrapNumber("8888888888888888888.9999999999999999999"), 0);
    EXPECT_LT(AlbumWrapNumber("-8888888888888888888.-9999999999999999999"), 0);
    // Offsets past 4 GiB do not wrap.
    EXPECT_EQ(AlbumWrapNumber("500000.0000"), 5000000000LL);
}

TEST(AlbumWrap, HeaderRecognitionAndName) {
    std::string header = AlbumWrapHeader("Greatest", "The Band", "0", {});
    EXPECT_TRUE(IsAlbumWrapHeader(Bytes(header), header.size()));
    EXPECT_EQ(AlbumWrapName(Bytes(header), header.size()), "Greatest");
    EXPECT_FALSE(IsAlbumWrapHeader(Bytes(header), 50));

    std::string tooShort = header;
    tooShort[43] = 12;
    EXPECT_FALSE(IsAlbumWrapHeader(Bytes(tooShort), tooShort.size()));
    std::string otherPrefix = WithBytes(header, 47, "AlbumWrap + ");
    EXPECT_FALSE(IsAlbumWrapHeader(Bytes(otherPrefix), otherPrefix.size()));
    std::string otherVersion = WithBytes(header, 3, "\x04");
    EXPECT_FALSE(IsAlbumWrapHeader(Bytes(otherVersion), otherVersion.size()));
}

TEST(AlbumWrap, SlotsBecomeMeasuredTracks) {
    test::Fixture f;
    // Slot 1: 12345678 bytes from offset 512; slot 2: 30005000 bytes from 1000000. A frame
    // header at each start is all the measurement needs: it counts the bytes it is given.
    std::string file = AlbumWrapHeader(
        "Greatest Hits", "The Band", "2",
        {"1234.5678[][]0.0512[][]Artist - Song.MP3   ", "3000.5[][]100.0[][]Intro.mp3"}, 1100000);
    file.replace(512, 4, FrameHeader(1, 3, 9, 0));
    file.replace(1000000, 4, FrameHeader(1, 3, 9, 0));
    MemorySource source(file);
    ASSERT_TRUE(ReadAlbumWrapHeader(f.session, source, Bytes(file), 65536));

    EXPECT_EQ(f.doc.cd.title, "Greatest Hits");
    EXPECT_EQ(f.doc.cd.artist, "The Band");
    ASSERT_EQ(f.doc.trackCount, 2);
    EXPECT_EQ(f.doc.tracks[0].title, "Song");
    EXPECT_EQ(f.doc.tracks[0].performer, "Artist");
    EXPECT_EQ(f.doc.tracks[1].title, "Intro");
    EXPECT_EQ(f.doc.tracks[1].performer, "The Band");

    // Durations count the bytes without the closing 128-byte record, at 128 kbit/s.
    float first = static_cast<float>(8.0 * (12345678 - 128) / 128 / 1000.0);
    float second = static_cast<float>(8.0 * (30005000 - 128) / 128 / 1000.0);
    float running = 2.0f + first;
    EXPECT_EQ(f.doc.tracks[0].start, 150);
    EXPECT_EQ(f.doc.tracks[1].start, static_cast<int>(std::floor(75.0 * running + 0.5)));
    running += second;
    EXPECT_EQ(f.doc.cd.totalSeconds, static_cast<int>(std::floor(running + 0.5)));
    EXPECT_EQ(f.doc.cd.discId, ComputeDiscId(f.doc));
    EXPECT_TRUE(f.doc.modified);
    EXPECT_TRUE(f.ui.messages.empty());
}

TEST(AlbumWrap, HeadersThatCannotBeRead) {
    // An album frame with nothing but its prefix.
    {
        test::Fixture f;
        std::string header = AlbumWrapHeader("", "The Band", "0", {});
        MemorySource source(header);
        EXPECT_FALSE(ReadAlbumWrapHeader(f.session, source, Bytes(header), header.size()));
    }
    // No artist frame: the user's document stays as it was.
    {
        test::Fixture f;
        f.doc.cd.title = "Mine";
        f.doc.trackCount = 1;
        std::string header = AlbumWrapHeader("Album", "The Band", "0", {});
        header.replace(header.find("TPE1"), 4, "TXXX");
        MemorySource source(header);
        EXPECT_FALSE(ReadAlbumWrapHeader(f.session, source, Bytes(header), header.size()));
        EXPECT_EQ(f.doc.cd.title, "Mine");
        EXPECT_EQ(f.doc.trackCount, 1);
        EXPECT_FALSE(f.doc.modified);
    }
    // A wrapped track without MPEG audio: message 1072 names it, the tracks before it stay.
    {
        test::Fixture f;
        std::string file = AlbumWrapHeader(
            "Album", "The Band", "3",
            {"16.0128[][]6.5536[][]One.mp3", "16.0128[][]22.5664[][]Two.mp3", "1.0[][]0.0[][]x"},
            65536);
        file += CbrStream(160000) + Id3v1("One", "", "", "");
        file += std::string(160000, '\0') + Id3v1("Two", "", "", "");
        MemorySource source(file);
        EXPECT_FALSE(ReadAlbumWrapHeader(f.session, source, Bytes(file), 65536));
        EXPECT_EQ(f.ui.MessageIds(), std::vector<int>{1072});
        EXPECT_EQ(f.ui.messages[0].captionId, 1053);
        EXPECT_EQ(f.ui.messages[0].icon, MsgIcon::Information);
        EXPECT_NE(f.ui.messages[0].text.find("Fragment 2 "), std::string::npos);
        ASSERT_EQ(f.doc.trackCount, 1);
        EXPECT_EQ(f.doc.tracks[0].title, "One");
        EXPECT_EQ(f.doc.tracks[1].title, "");
    }
}

TEST(AlbumWrap, CountIsLimitedToTheSlotsThatExist) {
    test::Fixture f;
    // "99" tracks, but the buffer ends inside the first slot: nothing is read past it, and
    // the empty first slot does not measure.
    std::string header = AlbumWrapHeader("Album", "The Band", "99", {}, 1400);
    MemorySource source(header);
    EXPECT_FALSE(ReadAlbumWrapHeader(f.session, source, Bytes(header), header.size()));
    EXPECT_EQ(f.ui.MessageIds(), std::vector<int>{1072});
    EXPECT_EQ(f.doc.trackCount, 0);

    test::Fixture g;
    std::string none = AlbumWrapHeader("Album", "The Band", "xx", {});
    MemorySource noneSource(none);
    EXPECT_TRUE(ReadAlbumWrapHeader(g.session, noneSource, Bytes(none), none.size()));
    EXPECT_EQ(g.doc.trackCount, 0);
    EXPECT_EQ(g.doc.cd.totalSeconds, 2);
}

}  // namespace
}  // namespace tracklore
