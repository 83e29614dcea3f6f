#include <gtest/gtest.h>

#include "flows/Reading.h"
#include "formats/Xmcd.h"
#include "support/TestSupport.h"

namespace tracklore {
namespace {

using test::Fixture;

const char* const Record =
    "# xmcd\n"
    "#\n"
    "# Track frame offsets:\n"
    "#       150\n"
    "#       17000\n"
    "#\t32000\n"
    "#\n"
    "# Disc length: 600 seconds\n"
    "#\n"
    "DISCID=18025603\n"
    "DTITLE=Band / Album\n"
    "DYEAR=2003\n"
    "DGENRE=Rock\n"
    "TTITLE0=One\n"
    "TTITLE1=Guest - Two\n"
    "TTITLE2=Three\n"
    "EXTD=\n"
    "EXTT0=\n"
    "EXTT1=\n"
    "EXTT2=\n"
    "PLAYORDER=\n";

TEST(XmcdReader, CompleteRecord) {
    Fixture f;
    ASSERT_TRUE(ReadXmcd(f.session, Record));
    EXPECT_TRUE(f.ui.messages.empty());
    EXPECT_EQ(f.doc.trackCount, 3);
    EXPECT_EQ(f.doc.tracks[0].start, 150);
    EXPECT_EQ(f.doc.tracks[1].start, 17000);
    EXPECT_EQ(f.doc.tracks[2].start, 32000);
    EXPECT_EQ(f.doc.cd.totalSeconds, 600);
    EXPECT_EQ(f.doc.cd.artist, "Band");
    EXPECT_EQ(f.doc.cd.title, "Album");
    EXPECT_EQ(f.doc.cd.discId, "18025603");
    EXPECT_EQ(f.doc.cd.year, "2003");
    EXPECT_EQ(f.doc.cd.genre, "Rock");
    EXPECT_EQ(f.doc.tracks[0].performer, "Band");
    EXPECT_EQ(f.doc.tracks[1].performer, "Guest");
    EXPECT_EQ(f.doc.tracks[1].title, "Two");
}

TEST(XmcdReader, ContinuationLinesJoin) {
    Fixture f;
    ASSERT_TRUE(ReadXmcd(f.session,
                         "# xmcd\r\n# Track frame offsets:\r\n# 150\r\n#\r\n"
                         "DTITLE=Band / Al\r\nDTITLE=bum\r\nTTITLE0=So Long That It \r\n"
                         "TTITLE0=Wraps Around\r\n"));
    EXPECT_EQ(f.doc.cd.title, "Album");
    // The blank at the end of a piece belongs between two words.
    EXPECT_EQ(f.doc.tracks[0].title, "So Long That It Wraps Around");
}

TEST(XmcdReader, NotXmcd) {
    Fixture f;
    f.doc.cd.title = "old";
    EXPECT_FALSE(ReadXmcd(f.session, "# XMCD\nDTITLE=x\n"));
    EXPECT_TRUE(f.doc.cd.title.empty());  // emptied all the same
    EXPECT_FALSE(ReadXmcd(f.session, ""));
    EXPECT_TRUE(f.ui.messages.empty());
}

TEST(XmcdReader, Errors) {
    Fixture f;
    EXPECT_TRUE(ReadXmcd(f.session, "# xmcd\nDTITLE=Band / Album\nTTITLE0=One\n"));
    ASSERT_EQ(f.ui.MessageIds(), std::vector<int>{1029});
    EXPECT_EQ(f.ui.messages[0].text, "Unbekanntes Schl\u00fcsselwort in Zeile 3:\r\nTTITLE0");
    EXPECT_EQ(f.doc.trackCount, 0);
    EXPECT_TRUE(f.doc.cd.title.empty());

    EXPECT_TRUE(ReadXmcd(f.session, "# xmcd\nDTITLE = Band\n"));
    EXPECT_EQ(f.ui.messages.back().text, "Unbekanntes Schl\u00fcsselwort in Zeile 2:\r\nDTITLE ");

    EXPECT_TRUE(ReadXmcd(f.session, "# xmcd\n\nnonsense line\n"));
    EXPECT_EQ(f.ui.messages.back().text, "Falsche Syntax in Zeile 3:\r\nnonsense line");

    EXPECT_TRUE(ReadXmcd(f.session, "# xmcd\n# Track frame offsets:\n# 150\n#\nTTITLE1=x\n"));
    EXPECT_EQ(f.ui.messages.back().textId, 1029);
    EXPECT_TRUE(ReadXmcd(f.session, "# xmcd\nTTITLEx=y\n"));
    EXPECT_EQ(f.ui.messages.back().textId, 1029);
}

TEST(XmcdReader, AlbumWithoutSeparator) {
    Fixture f;
    ASSERT_TRUE(ReadXmcd(f.session,
                         "# xmcd\n# Track frame offsets:\n# 150\n#\nDTITLE=Just A Title\n"
                         "TTITLE0=Song - Live\n"));
    EXPECT_EQ(f.doc.cd.artist, "Various");
    EXPECT_EQ(f.doc.cd.title, "Just A Title");
    EXPECT_EQ(f.doc.tracks[0].performer, "Song");  // track texts are always split
    EXPECT_EQ(f.doc.tracks[0].title, "Live");
}

TEST(XmcdReader, DiscIdComputedWhenMissingAndFieldsCut) {
    Fixture f;
    ASSERT_TRUE(ReadXmcd(f.session,
                         "# xmcd\n# Track frame offsets:\n# 150\n# 15000\n# 30000\n#\n"
                         "# Disc length: 500\nDISCID=\nDYEAR=2003 and more\n"));
    EXPECT_EQ(f.doc.cd.discId, "0801f203");
    EXPECT_EQ(f.doc.cd.year, "2003");
    ASSERT_TRUE(ReadXmcd(f.session, "# xmcd\nDISCID=0801f203,0801f204,0801f205\n"));
    // Several IDs: the first is the record's, the others are kept for the next save.
    EXPECT_EQ(f.doc.cd.discId, "0801f203");
    EXPECT_EQ(f.doc.cd.moreDiscIds, "0801f204,0801f205");
}

TEST(XmcdReader, NinetyNineOffsetsAtMost) {
    Fixture f;
    std::string text = "# xmcd\n# Track frame offsets:\n";
    for (int i = 0; i < 150; ++i) {
        text += "# " + std::to_string(150 + i * 1000) + "\n";
    }
    text += "#\nTTITLE98=last\n";
    ASSERT_TRUE(ReadXmcd(f.session, text));
    EXPECT_TRUE(f.ui.messages.empty());
    EXPECT_EQ(f.doc.trackCount, 99);
    EXPECT_EQ(f.doc.tracks[98].start, 150 + 98 * 1000);
    EXPECT_EQ(f.doc.tracks[99].start, 0);
    EXPECT_EQ(f.doc.tracks[98].title, "last");
}

TEST(XmcdReader, JoinedTextsAreCut) {
    Fixture f;
    std::string text = "# xmcd\n";
    for (int i = 0; i < 40; ++i) {
        text += "DTITLE=" + std::string(70, 'a') + "\n";
    }
    ASSERT_TRUE(ReadXmcd(f.session, text));
    EXPECT_EQ(f.doc.cd.title.size(), 127u);
}

TEST(XmcdWriter, LineList) {
    TrackList doc;
    doc.trackCount = 3;
    auto set = [&doc](int i, const char* title, const char* performer, std::int32_t start) {
        doc.tracks[i].title = title;
        doc.tracks[i].performer = performer;
        doc.tracks[i].start = start;
    };
    set(0, "One", "Band", 150);
    set(1, "Two", "Guest", 17000);
    set(2, "Three", "Band", 32000);
    doc.cd.totalSeconds = 600;
    doc.cd.discId = "18025603";
    doc.cd.artist = "Band";
    doc.cd.title = "Album";
    doc.cd.year = "2003";
    doc.cd.genre = "Rock";
    EXPECT_EQ(WriteXmcd(doc),
              "# xmcd CD database file generated by Tracklore v1.6\r\n# \r\n"
              "# Track frame offsets:\r\n#       150\r\n#       17000\r\n#       32000\r\n# \r\n"
              "# Disc length: 600 seconds\r\n# \r\nDISCID=18025603\r\nDTITLE=Band / Album\r\n"
              "DYEAR=2003\r\nDGENRE=Rock\r\nTTITLE0=One\r\nTTITLE1=Guest / Two\r\n"
              "TTITLE2=Three\r\nEXTD=\r\nEXTT0=\r\nEXTT1=\r\nEXTT2=\r\nPLAYORDER=\r\n");
}

TEST(XmcdWriter, EmptyListAndEmptyArtist) {
    TrackList doc;
    doc.cd.title = "Album";
    std::string text = WriteXmcd(doc);
    EXPECT_NE(text.find("# Track frame offsets:\r\n# \r\n# Disc length: 0 seconds"),
              std::string::npos);
    EXPECT_NE(text.find("DTITLE=Album\r\n"), std::string::npos);
    EXPECT_EQ(text.find("TTITLE"), std::string::npos);
    EXPECT_EQ(text.find("EXTT"), std::string::npos);
    doc.trackCount = 1;
    doc.tracks[0].performer = "Solo";
    doc.tracks[0].title = "Song";
    EXPECT_NE(WriteXmcd(doc).find("TTITLE0=Solo / Song\r\n"), std::string::npos);
}

TEST(XmcdWriter, LongTrackTextsSplitByKeyLength) {
    TrackList doc;
    doc.trackCount = 11;
    doc.tracks[0].title = std::string(150, 'a');
    doc.tracks[1].title = std::string(140, 'b');
    doc.tracks[10].title = std::string(70, 'c');
    std::string text = WriteXmcd(doc);
    EXPECT_NE(text.find("TTITLE0=" + std::string(70, 'a') + "\r\nTTITLE0=" + std::string(70, 'a') +
                        "\r\nTTITLE0=" + std::string(10, 'a') + "\r\n"),
              std::string::npos);
    EXPECT_NE(text.find("TTITLE1=" + std::string(70, 'b') + "\r\nTTITLE1=" + std::string(70, 'b') +
                        "\r\nTTITLE1=\r\n"),
              std::string::npos);
    EXPECT_NE(text.find("TTITLE10=" + std::string(69, 'c') + "\r\nTTITLE10=c\r\n"),
              std::string::npos);
}

}  // namespace
}  // namespace tracklore
