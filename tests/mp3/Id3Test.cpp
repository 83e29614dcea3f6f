#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "flows/Mp3ScanFlow.h"
#include "model/Encoding.h"
#include "model/Genres.h"
#include "mp3/Id3.h"
#include "mp3/Mpeg.h"
#include "support/Id3Tags.h"
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

// The record names no encoding: its bytes are read in the legacy code page.
TEST(Id3v1, FieldsAreDecodedInTheLegacyCodePage) {
    struct Case {
        const char* codePage;
        std::string bytes;
        const char* text;
    };
    const Case cases[] = {
        {"WINDOWS-1252", "Gr\xFC\xDF\x65 \x80", "Gr\u00fc\u00dfe \u20ac"},
        {"WINDOWS-1251", "\xCA\xE8\xED\xEE", "\u041a\u0438\u043d\u043e"},
        {"SHIFT_JIS", "\x82\xA0\x82\xA2", "\u3042\u3044"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.codePage);
        // 30 bytes of a two-byte code page hold 15 characters.
        const std::string record = Id3v1(c.bytes, "x", c.bytes, "1999");
        EXPECT_EQ(Id3v1Title(Bytes(record), LegacyEncoding(c.codePage)), c.text);
        EXPECT_EQ(Id3v1Album(Bytes(record), LegacyEncoding(c.codePage)), c.text);
    }
}

TEST(Id3v2Text, StringsEndAtTheTerminatorOfTheirEncoding) {
    using namespace std::string_literals;
    struct Case {
        int encoding;
        std::string bytes;
        const char* text;
        std::string rest;
    };
    const Case cases[] = {
        {0, "Gr\xFC\xDF\0next"s, "Gr\u00fc\u00df", "next"},
        {0, "no end"s, "no end", ""},
        {3, "\xE6\x98\xA5\0\xE5\xA4\x8F"s, "\u6625", "\xE5\xA4\x8F"},
        {3, "\xEF\xBB\xBF\xD0\x9A\xFF"s, "\u041a\ufffd", ""},  // mark skipped, bad byte shown
        // "A\u0100": the zero bytes at an odd offset are no terminator.
        {1, "\xFF\xFE\x41\x00\x00\x01\x00\x00rest"s, "A\u0100", "rest"},
        {1, "\xFE\xFF\x00\x41\x30\x42"s, "A\u3042", ""},
        {1, "\x00\x41\x00\x00"s, "A", ""},  // no mark: big-endian
        {2, "\x04\x1a\x00\x00\x04\x38"s, "\u041a", "\x04\x38"},
        {1, "\xFF\xFE\x3D\xD8\x35\xDE\x00\x00"s, "\U0001F635", ""},
        {1, "\xFF\xFE\x00\xD8\x41"s, "\ufffd\ufffd", ""},  // lone surrogate, odd last byte
        {7, "text"s, "", ""},                              // unknown encoding
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const Id3v2String read = ReadId3v2String(c.bytes, static_cast<unsigned char>(c.encoding));
        EXPECT_EQ(read.text, c.text);
        EXPECT_EQ(read.rest, c.rest);
    }
    // A text frame takes its first value; 2.4 separates values by terminators.
    EXPECT_EQ(Id3v2FrameText(Id3TextData("Rock", 1, true) + Utf8ToUtf16WithBom("Pop")), "Rock");
    EXPECT_EQ(Id3v2FrameText(""), "");
}

TEST(Id3v2Text, DescribedFramesSkipTheirDescriptionInTheFramesEncoding) {
    for (int encoding = 0; encoding <= 3; ++encoding) {
        SCOPED_TRACE(encoding);
        const std::string text = encoding == 0 ? "Caf\u00e9" : "\u041a\u0438\u043d\u043e";
        // TXXX: description, value.
        const std::string txxx = Id3TextData("A\u0100", encoding == 0 ? 1 : encoding, true) +
                                 Id3TextData(text, encoding == 0 ? 1 : encoding).substr(1);
        Id3v2DescribedText read = ReadId3v2DescribedText(txxx, 0);
        EXPECT_EQ(read.text, text);
        // COMM: three bytes of language first.
        const std::string comm = Id3TextData("", encoding).substr(0, 1) + "deu" +
                                 Id3TextData("note", encoding, true).substr(1) +
                                 Id3TextData(text, encoding).substr(1);
        read = ReadId3v2DescribedText(comm, 3);
        EXPECT_EQ(read.description, "note");
        EXPECT_EQ(read.text, text);
    }
    EXPECT_EQ(ReadId3v2DescribedText("\x01"
                                     "de",
                                     3)
                  .text,
              "");
}

TEST(Id3v2Text, GenreNumbersAndNames) {
    const std::pair<const char*, const char*> cases[] = {
        {"17", "Rock"},
        {"(17)", "Rock"},
        {"(8)Free Jazz", "Free Jazz"},
        {"Krautrock", "Krautrock"},
        {"((Mis)Use", "(Mis)Use"},
        {"(999)", ""},
        {"(RX)", "(RX)"},
        {"", ""},
    };
    for (const auto& [text, genre] : cases) {
        EXPECT_EQ(Id3v2Genre(text), genre) << text;
    }
}

// One corpus of tags of every version and shape, each with the texts it must give.
TEST(Id3v2Tags, TextsOfEveryVersion) {
    using namespace std::string_literals;
    const std::string longTitle = test::Repeat("\u00e4", 100);  // a frame of more than 127 bytes
    // Unsynchronisation puts a zero byte after 0xFF; the frame's size counts the bytes without.
    const std::string frame = Id3Frame("TIT2", "\0\xFF\xE0"s + "nd");
    const std::string stuffedFrame = frame.substr(0, 12) + '\0' + frame.substr(12);
    struct Case {
        const char* name;
        std::string tag;
        Id3v2Texts texts;
    };
    const std::vector<Case> cases = {
        {"2.2",
         Id3Tag(Id3Frame22("TT2", Id3TextData("Intro", 0)) +
                    Id3Frame22("TP1", Id3TextData("\u041a\u0438\u043d\u043e", 1)) +
                    Id3Frame22("TAL", Id3TextData("Live", 0)) +
                    Id3Frame22("TYE", Id3TextData("1999", 0)) +
                    Id3Frame22("TCO", Id3TextData("(17)", 0)),
                16, 0, 2),
         {"Intro", "\u041a\u0438\u043d\u043e", "Live", "1999", "Rock"}},
        {"2.3 UTF-16, padding, other frames first",
         Id3Tag(Id3Frame("APIC", std::string(300, '\x11')) +
                    Id3Frame("TIT2", Id3TextData("\u6625\u65e5", 1)) +
                    Id3Frame("TPE1", Id3TextData("Die \u00c4rzte", 0)) +
                    Id3Frame("TYER", Id3TextData("2001", 0)) +
                    Id3Frame("TCON",
                             "\0"
                             "17"s),
                100),
         {"\u6625\u65e5", "Die \u00c4rzte", "", "2001", "Rock"}},
        {"2.3 unsynchronised with an extended header",
         Id3Tag(std::string("\0\0\0\x06\0\0\0\0\0\0", 10) + stuffedFrame, 0, 0xC0),
         {"\u00ff\u00e0nd", "", "", "", ""}},
        {"2.3 grouped, compressed and encrypted frames",
         Id3Tag(Id3Frame("TIT2", "G"s + Id3TextData("grouped", 0), 0, 0x20) +
                Id3Frame("TPE1", Id3TextData("packed", 0), 0, '\x80') +
                Id3Frame("TALB", Id3TextData("secret", 0), 0, 0x40)),
         {"grouped", "", "", "", ""}},
        {"2.4 UTF-8, syncsafe sizes, recording time",
         Id3Tag(Id3Frame24("TIT2", Id3TextData(longTitle, 3)) +
                    Id3Frame24("TPE1", Id3TextData("\u3042\u3044\u307f\u3087\u3093", 3, true)) +
                    Id3Frame24("TDRC", Id3TextData("2003-05-01", 3)) +
                    Id3Frame24("TCON", Id3TextData("8", 3)),
                10, 0, 4),
         {longTitle, "\u3042\u3044\u307f\u3087\u3093", "", "2003", "Jazz"}},
        {"2.4 unsynchronised frame with a data length, extended header",
         Id3Tag(std::string("\0\0\0\x06\x01\0", 6) +
                    Id3Frame24("TIT2", "\0\0\0\x05"s + "\0\xFF\0\xE0x"s, 0, 0x03) +
                    Id3Frame24("TALB", Id3TextData("\u041a", 2)),
                0, 0x40, 4),
         {"\u00ff\u00e0x", "", "\u041a", "", ""}},
        {"2.4 with a plain frame size",
         Id3Tag(Id3Frame("TIT2", Id3TextData(longTitle, 3)), 0, 0, 4),
         {longTitle, "", "", "", ""}},
        {"first frame of a kind wins",
         Id3Tag(Id3Frame("TIT2", Id3TextData("one", 0)) + Id3Frame("TIT2", Id3TextData("two", 0))),
         {"one", "", "", "", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Id3v2Texts texts = ReadId3v2Texts(c.tag);
        EXPECT_EQ(texts.title, c.texts.title);
        EXPECT_EQ(texts.artist, c.texts.artist);
        EXPECT_EQ(texts.album, c.texts.album);
        EXPECT_EQ(texts.year, c.texts.year);
        EXPECT_EQ(texts.genre, c.texts.genre);
    }
}

// Sizes that claim more than there is end the walk; nothing is read beyond the bytes.
TEST(Id3v2Tags, SizesBeyondTheBytesEndTheWalk) {
    const std::string good = Id3Frame("TIT2", Id3TextData("Intro", 0));
    const std::string tag = Id3Tag(good + Id3Frame("TPE1", Id3TextData("Band", 0)));
    const std::string cases[] = {
        tag.substr(0, tag.size() - 2),  // cut in the second frame
        Id3v2Header(0x0FFFFFFF) + good + "TPE1" + BigEndian32(0xFFFFFFF0) +
            std::string("\0\0Band", 6),                              // huge
        Id3Tag(std::string("\xFF\xFF\xFF\xFF", 4) + good, 0, 0x40),  // extended header too big
        Id3Tag(good, 0, 0, 9),                                       // unknown version
        Id3Tag(good, 0, 0x40, 2),                                    // compressed 2.2 tag
        "ID3\x03",
    };
    for (const std::string& bytes : cases) {
        const Id3v2Texts texts = ReadId3v2Texts(bytes);
        EXPECT_TRUE(texts.title.empty() || texts.title == "Intro");
        EXPECT_EQ(texts.artist, "");
    }
    // A tag whose header claims less than its frames: only what it claims is read.
    EXPECT_EQ(ReadId3v2Texts(Id3v2Header(static_cast<std::uint32_t>(good.size())) + good +
                             Id3Frame("TPE1", Id3TextData("Band", 0)))
                  .artist,
              "");
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
