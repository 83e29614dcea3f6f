#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "flows/FolderScanFlow.h"
#include "model/Time.h"
#include "mp3/FolderScan.h"
#include "support/Mp3Album.h"
#include "support/TestSupport.h"

namespace tracklore {
namespace {

using namespace test::mp3;
using test::TempDir;

// A file that measures `seconds` at 128 kbit/s: one frame header, then a sparse hole.
void WriteSparseStream(const std::string& path, std::uint64_t bytes) {
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << CbrStream(1000);
    }
    std::filesystem::resize_file(path, bytes);
}

TEST(FolderScan, MaskMatching) {
    EXPECT_TRUE(MatchesFileMask("Song.mp3", "*.mp3"));
    EXPECT_TRUE(MatchesFileMask("SONG.MP3", "*.mp3"));
    EXPECT_FALSE(MatchesFileMask("song.mp3x", "*.mp3"));
    EXPECT_FALSE(MatchesFileMask("song.mp", "*.mp3"));
    EXPECT_TRUE(MatchesFileMask("01 a.b.mp3", "0? *.mp3"));
    EXPECT_FALSE(MatchesFileMask("1 a.mp3", "0? *.mp3"));
    EXPECT_TRUE(MatchesFileMask("track", "*.*"));  // a name without extension too
    EXPECT_TRUE(MatchesFileMask("track", "track.*"));
    EXPECT_TRUE(MatchesFileMask("a.jpg", "*"));
    EXPECT_TRUE(MatchesFileMask("abcabd", "*ab?"));
    EXPECT_FALSE(MatchesFileMask("abcabd", "*abc"));
    // Letters beyond ASCII are matched without regard to case, "?" is one character.
    EXPECT_TRUE(MatchesFileMask("\xC3\x84pfel.mp3", "\xC3\xA4pfel.MP3"));
    EXPECT_TRUE(MatchesFileMask("\xC3\xBC.mp3", "?.mp3"));
    EXPECT_FALSE(MatchesFileMask("\xC3\xBC.mp3", "??.mp3"));
}

TEST(FolderScan, FilesAreListedByName) {
    TempDir dir;
    for (const char* name : {"b.mp3", "A.mp3", "a.mp3", "C.MP3", "10.mp3", "2.mp3", "x.txt"}) {
        dir.Write(name, "x");
    }
    std::filesystem::create_directory(dir.path() / "sub.mp3");
    EXPECT_EQ(ListMatchingFiles(dir.path().string(), "*.mp3"),
              (std::vector<std::string>{"10.mp3", "2.mp3", "A.mp3", "a.mp3", "b.mp3", "C.MP3"}));
    EXPECT_TRUE(FileNameLess("\xC3\xA4.mp3", "\xC3\x84x.mp3"));  // ä before Äx
    EXPECT_TRUE(ListMatchingFiles(dir.file("missing"), "*").empty());
}

TEST(FolderScan, TracksFromFilesAndTags) {
    TempDir dir;
    test::Fixture f;
    // 180 and 200 seconds; a picture and a subfolder that match the mask are passed over.
    dir.Write("01.mp3", CbrStream(180 * 16000) + Id3v1("Intro", "Ann", "Live", "1999", 8));
    dir.Write("02 Song.mp3", CbrStream(200 * 16000));
    dir.Write("03.jpg", std::string(50000, '\x11'));
    std::filesystem::create_directory(dir.path() / "04.mp3");
    dir.Write("05.mp3", CbrStream(24000));  // 1.5 seconds

    ASSERT_TRUE(ScanFolder(f.session, dir.path().string() + "/", "*.*"));
    const TrackList& doc = f.doc;
    ASSERT_EQ(doc.trackCount, 2);
    EXPECT_EQ(doc.tracks[0].start, 150);
    EXPECT_EQ(doc.tracks[1].start, 13650);
    EXPECT_EQ(doc.tracks[0].title, "Intro");
    EXPECT_EQ(doc.tracks[0].performer, "Ann");
    EXPECT_EQ(doc.tracks[1].title, "02 Song.mp3");
    EXPECT_EQ(doc.tracks[1].performer, "Unbenannter Interpret");
    EXPECT_EQ(doc.cd.title, "Live");
    EXPECT_EQ(doc.cd.year, "1999");
    EXPECT_EQ(doc.cd.genre, "Jazz");
    EXPECT_EQ(doc.cd.artist, "Various");
    EXPECT_EQ(doc.cd.totalSeconds, 382);
    EXPECT_EQ(doc.cd.discId, ComputeDiscId(doc));
    EXPECT_TRUE(doc.modified);
    ASSERT_EQ(f.ui.MessageIds(), std::vector<int>{1098});
    EXPECT_EQ(f.ui.messages[0].text,
              "Trackliste erfolgreich erstellt: 2 Tracks, gesammte Spielzeit: 6:22:00.");
    EXPECT_EQ(f.ui.messages[0].captionId, 1097);
    EXPECT_EQ(f.ui.messages[0].icon, MsgIcon::Information);
}

TEST(FolderScan, AlbumFromTheFolderNameAndArtistRules) {
    TempDir dir;
    std::filesystem::create_directory(dir.path() / " Mein Album ");
    std::string folder = (dir.path() / " Mein Album ").string();
    test::Fixture f;
    // One untagged file: the folder names the album, the track's performer is the artist.
    std::ofstream(folder + "/a.mp3", std::ios::binary) << CbrStream(40000);
    ASSERT_TRUE(RunFolderScan(f.session, folder, "*.mp3"));
    EXPECT_EQ(f.doc.cd.title, "Mein Album");
    EXPECT_EQ(f.doc.cd.artist, "Unbenannter Interpret");
    EXPECT_GE(f.ui.refreshCount, 1);

    // Performers that differ only in case differ.
    std::ofstream(folder + "/a.mp3", std::ios::binary)
        << CbrStream(40000) + Id3v1("One", "The Band", "", "");
    std::ofstream(folder + "/b.mp3", std::ios::binary)
        << CbrStream(40000) + Id3v1("Two", "the band", "", "");
    test::Fixture g;
    ASSERT_TRUE(RunFolderScan(g.session, folder, "*.mp3"));
    EXPECT_EQ(g.doc.cd.artist, "Various");
    EXPECT_EQ(g.doc.cd.title, "Mein Album");
}

TEST(FolderScan, NothingUsableLeavesTheDocumentAlone) {
    TempDir dir;
    dir.Write("a.mp3", std::string(100000, 'x'));
    test::Fixture f;
    f.doc.cd.title = "Mine";
    EXPECT_FALSE(RunFolderScan(f.session, dir.path().string(), "*.mp3"));
    EXPECT_EQ(f.ui.MessageIds(), std::vector<int>{1096});
    EXPECT_EQ(f.ui.messages[0].captionId, 1020);
    EXPECT_EQ(f.doc.cd.title, "Mine");
    EXPECT_FALSE(f.doc.modified);
    // A missing folder, or an empty folder or mask field, changes nothing either.
    EXPECT_FALSE(RunFolderScan(f.session, dir.file("none"), "*.mp3"));
    EXPECT_FALSE(RunFolderScan(f.session, "", "*.mp3"));
    EXPECT_FALSE(RunFolderScan(f.session, dir.path().string(), ""));
    EXPECT_EQ(f.ui.MessageIds(), (std::vector<int>{1096, 1096}));
    EXPECT_EQ(f.doc.cd.title, "Mine");
}

TEST(FolderScan, NinetyNineTracksAtMost) {
    TempDir dir;
    std::string stream = CbrStream(32000);  // 2.0 seconds
    for (int i = 0; i < 100; ++i) {
        dir.Write("t" + std::to_string(1000 + i) + ".mp3", stream);
    }
    test::Fixture f;
    ASSERT_TRUE(ScanFolder(f.session, dir.path().string() + "/", "*.mp3"));
    EXPECT_EQ(f.doc.trackCount, 99);
    EXPECT_EQ(f.doc.tracks[98].title, "t1098.mp3");
    EXPECT_EQ(f.doc.cd.totalSeconds, 2 + 99 * 2);
    ASSERT_EQ(f.ui.MessageIds(), std::vector<int>{1098});
    EXPECT_EQ(f.ui.messages[0].text,
              "Die maximale Anzahl von 99 Tracks wurde erreicht.\r\n"
              "Trackliste erfolgreich erstellt: 99 Tracks, gesammte Spielzeit: 3:20:00.");
}

TEST(FolderScan, NoTrackEndsAtOrBeyondTheLastPosition) {
    // 5995 seconds (449625 frames) end at frame 449775; 224 more frames would reach
    // 99:59:74 (449999), 223 stay short of it.
    for (auto [secondBytes, tracks] : {std::pair{47787u, 1}, std::pair{47670u, 2}}) {
        TempDir dir;
        WriteSparseStream(dir.file("a.mp3"), 5995ULL * 16000);
        {
            std::ofstream out(dir.file("b.mp3"), std::ios::binary | std::ios::trunc);
            out << CbrStream(secondBytes);
        }
        test::Fixture f;
        ASSERT_TRUE(ScanFolder(f.session, dir.path().string() + "/", "*.mp3"));
        EXPECT_EQ(f.doc.trackCount, tracks);
        ASSERT_EQ(f.ui.messages.size(), 1u);
        bool limited = f.ui.messages[0].text.rfind(
                           "Die maximale Spielzeit von 99:59:74 wurde erreicht.\r\n", 0) == 0;
        EXPECT_EQ(limited, tracks == 1) << f.ui.messages[0].text;
        if (tracks == 2) {
            EXPECT_EQ(f.doc.cd.totalSeconds, 6000);  // 449998 frames, rounded
        }
    }
}

}  // namespace
}  // namespace tracklore
