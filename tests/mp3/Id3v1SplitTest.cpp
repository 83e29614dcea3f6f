#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "mp3/Id3v1Split.h"
#include "mp3/Mpeg.h"
#include "support/Mp3Album.h"
#include "support/TestSupport.h"

namespace tracklore {
namespace {

using namespace test::mp3;
using test::ScanRun;

// A track of exactly `bytes` bytes, its closing record included.
std::string TrackOfBytes(std::size_t bytes, const std::string& title, const std::string& artist,
                         const std::string& album = "") {
    return CbrStream(bytes - 128) + Id3v1(title, artist, album, "2003", 17);
}

std::vector<std::uint64_t> Lengths(const FragmentTable& table) {
    std::vector<std::uint64_t> lengths;
    for (const auto& fragment : table.fragments) {
        lengths.push_back(fragment.length);
    }
    return lengths;
}

TEST(Id3v1Split, ThreeJoinedTracksBecomeThreeTracks) {
    ScanRun run;
    const std::size_t size = 4194304;
    run.Run(TrackOfBytes(size, "One", "Ann", "Band - Best Of") + TrackOfBytes(size, "Two", "Bob") +
            TrackOfBytes(size, "Three", "Cy"));

    EXPECT_EQ(run.job.split.fragments.size(), 3u);  // no final fragment
    ASSERT_EQ(run.f.ui.fragmentDialogs.size(), 1u);
    EXPECT_EQ(run.f.ui.fragmentHeadings[0], "MP3 Scan komplett. 3 ID3v1-tag(s) gefunden.");
    const auto& rows = run.f.ui.fragmentDialogs[0];
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].number, " 1");
    EXPECT_EQ(rows[0].artist, "Ann");
    EXPECT_EQ(rows[0].title, "One");
    for (const auto& row : rows) {
        EXPECT_EQ(row.size, "4096.0 Kb");
    }

    // Confirmed (the dialog's default): one track per fragment, each placed after the
    // measured fragments before it, without their closing records.
    EXPECT_TRUE(run.job.trackListBuilt);
    EXPECT_TRUE(run.job.finished);
    const TrackList& doc = run.f.doc;
    ASSERT_EQ(doc.trackCount, 3);
    float d = static_cast<float>(8.0 * (size - 128) / 128 / 1000.0);
    EXPECT_EQ(doc.tracks[0].start, 150);
    EXPECT_EQ(doc.tracks[1].start, static_cast<int>(std::floor(75.0 * (2.0f + d) + 0.5)));
    EXPECT_EQ(doc.tracks[2].start, static_cast<int>(std::floor(75.0 * (2.0f + d + d) + 0.5)));
    EXPECT_EQ(doc.cd.totalSeconds, static_cast<int>(std::floor(2.0f + d + d + d + 0.5)));
    EXPECT_EQ(doc.tracks[2].title, "Three");
    EXPECT_EQ(doc.tracks[2].performer, "Cy");
    EXPECT_EQ(doc.cd.artist, "Band");
    EXPECT_EQ(doc.cd.title, "Best Of");
    EXPECT_EQ(doc.cd.year, "2003");
    EXPECT_EQ(doc.cd.genre, "Rock");
    EXPECT_EQ(doc.cd.audioFile, "Album");
    EXPECT_EQ(doc.cd.discId, "");  // left to the main window's refresh
    EXPECT_TRUE(doc.modified);
    EXPECT_GE(run.f.ui.refreshCount, 1);
    EXPECT_TRUE(run.f.ui.messages.empty());
    EXPECT_EQ(run.opens, 2);  // once to scan, once to measure the fragments
}

TEST(Id3v1Split, UntaggedEndBecomesAFinalFragment) {
    ScanRun run;
    std::string last = CbrStream(100000);
    run.Run(TaggedTrack(3, "One", "Ann") + TaggedTrack(3, "Two", "Bob") + last);
    ASSERT_EQ(run.job.split.fragments.size(), 3u);
    EXPECT_EQ(run.job.split.fragments[2].length, last.size());
    EXPECT_EQ(run.job.split.fragments[2].tag, EmptyId3v1Record());
    const auto& rows = run.f.ui.fragmentDialogs.at(0);
    EXPECT_EQ(run.f.ui.fragmentHeadings[0], "MP3 Scan komplett. 3 ID3v1-tag(s) gefunden.");
    EXPECT_EQ(rows[2].title, "Unbenannt");
    EXPECT_EQ(rows[2].artist, "Unbenannter Interpret");
    EXPECT_EQ(rows[2].size, "97.7 Kb");
    ASSERT_EQ(run.f.doc.trackCount, 3);
    EXPECT_EQ(run.f.doc.tracks[2].title, "Unbenannt");
    EXPECT_EQ(run.f.doc.cd.genre, "");  // genre 255 of the builder's first record
}

TEST(Id3v1Split, OneTrackWithItsOwnRecordIsNothingToSplit) {
    ScanRun run;
    run.Run(TaggedTrack(5, "Only", "Ann"));
    EXPECT_TRUE(run.f.ui.fragmentDialogs.empty());
    EXPECT_EQ(run.f.ui.MessageIds(), std::vector<int>{1071});
    EXPECT_EQ(run.f.ui.messages[0].captionId, 1053);
    EXPECT_FALSE(run.job.trackListBuilt);
}

TEST(Id3v1Split, RecordsAtChunkBoundariesAreCountedOnce) {
    // A record that starts 50 bytes before the end of the first chunk is found in the next
    // window through the carried bytes; one wholly within the last 300 bytes of a chunk is
    // seen in two windows.
    for (std::size_t before : {50u, 128u, 200u, 300u, 301u}) {
        ScanRun run;
        std::string first = CbrStream(65536 - before) + Id3v1("One", "Ann", "", "");
        run.Run(first + TaggedTrack(4, "Two", "Bob"));
        EXPECT_EQ(Lengths(run.job.split), (std::vector<std::uint64_t>{first.size(), 64128}))
            << before;
        EXPECT_EQ(run.f.doc.trackCount, 2) << before;
    }
}

TEST(Id3v1Split, RecordIsFoundAtEveryPositionOfTheWindow) {
    // The search walks the window in steps of many bytes; a record must be found wherever it
    // starts, in front of anything: bytes without "TA", "TA" pairs everywhere (every step then
    // looks closer), and a step that holds "TA" before the record.
    const std::string record = Id3v1("Song", "Band", "", "");
    const std::string backgrounds[] = {std::string(700, 'x'), [] {
                                           std::string pairs;
                                           while (pairs.size() < 700) {
                                               pairs += "TAT";
                                           }
                                           return pairs.substr(0, 700);
                                       }()};
    for (const std::string& background : backgrounds) {
        for (std::size_t at = 0; at + record.size() <= background.size(); ++at) {
            std::string window = background;
            window.replace(at, record.size(), record);
            if (at >= 2) {
                window.replace(at - 2, 2, "TA");
            }
            FragmentTable table;
            // Window position k is file offset k: the carried bytes are a whole chunk's.
            SearchWindowForTags(table, CarriedBytes,
                                reinterpret_cast<const unsigned char*>(window.data()),
                                window.size());
            ASSERT_EQ(table.fragments.size(), 1u) << at;
            EXPECT_EQ(table.fragments[0].length, at + record.size()) << at;
        }
    }
}

TEST(Id3v1Split, FileReadInBlocksGivesWhatMemoryGives) {
    // A file is read in blocks of several chunks: records that end, start or are cut at a
    // block boundary are found as in bytes read chunk by chunk, with the same progress.
    test::TempDir dir;
    const std::size_t block = FileSource::Open(dir.Write("probe.mp3", "x"))->ReadBlockSize();
    ASSERT_GT(block, ScanChunkSize);
    for (std::size_t before : {0u, 50u, 128u, 300u, 301u}) {
        const std::string bytes = TrackOfBytes(block - before, "One", "Ann") +
                                  TrackOfBytes(block + 3 * ScanChunkSize / 2, "Two", "Bob") +
                                  CbrStream(20000);
        ScanRun memory;
        memory.Run(bytes);
        ScanRun file;
        const std::string path = dir.Write("album.mp3", bytes);
        file.source = [&path](const std::string&) -> std::unique_ptr<ByteSource> {
            return FileSource::Open(path);
        };
        file.Run(bytes);
        EXPECT_EQ(Lengths(file.job.split), Lengths(memory.job.split)) << before;
        EXPECT_EQ(Lengths(file.job.split).size(), 3u) << before;
        EXPECT_EQ(file.progress, memory.progress) << before;
        EXPECT_EQ(file.f.doc.trackCount, memory.f.doc.trackCount) << before;
    }
}

TEST(Id3v1Split, TextInsideARecordIsNotAnotherRecord) {
    // "TAG" inside the fields of an accepted record starts a valid-looking record too.
    ScanRun run;
    run.Run(TaggedTrack(3, "SABOTAGE", "STAGE DOLLS", "VINTAGE") +
            TaggedTrack(3, "MONTAGE", "TAGTRAUM"));
    EXPECT_EQ(run.job.split.fragments.size(), 2u);
    ASSERT_EQ(run.f.doc.trackCount, 2);
    EXPECT_EQ(run.f.doc.tracks[0].title, "SABOTAGE");
    EXPECT_EQ(run.f.doc.tracks[1].performer, "TAGTRAUM");
    EXPECT_TRUE(run.f.ui.messages.empty());
}

TEST(Id3v1Split, RecordCutByTheEndOfTheFileIsNoRecord) {
    ScanRun run;
    std::string cut = Id3v1("Two", "Bob", "", "").substr(0, 60);
    run.Run(TaggedTrack(2.5, "One", "Ann") + CbrStream(20000) + cut);
    ASSERT_EQ(run.job.split.fragments.size(), 2u);
    EXPECT_EQ(run.job.split.fragments[1].length, 20000u + 60u);
    EXPECT_EQ(run.job.split.fragments[1].tag, EmptyId3v1Record());
}

TEST(Id3v1Split, AlbumArtistFromTheFirstRecords) {
    struct Case {
        std::string album;
        std::vector<std::string> performers;
        std::string artist;
        std::string title;
    };
    const Case cases[] = {
        {"Band - Album", {"A", "B"}, "Band", "Album"},  {"Album", {"A", "A", "B"}, "A", "Album"},
        {"Album", {"A", "B", "B"}, "Various", "Album"}, {"Album", {"A", "a"}, "Various", "Album"},
        {"X - Y", {"A", "B", "C"}, "X", "Y"},           {"", {"", "B"}, "Various", ""},
    };
    for (const Case& c : cases) {
        ScanRun run;
        std::string bytes;
        for (std::size_t i = 0; i < c.performers.size(); ++i) {
            bytes += TaggedTrack(2.5, "T", c.performers[i], i == 0 ? c.album : "");
        }
        run.Run(bytes);
        EXPECT_EQ(run.f.doc.cd.artist, c.artist) << c.album;
        EXPECT_EQ(run.f.doc.cd.title, c.title) << c.album;
    }
}

TEST(Id3v1Split, AnsweringNoChangesNothing) {
    ScanRun run;
    run.f.doc.cd.title = "Mine";
    run.f.ui.FragmentAnswerNext(MsgResult::No);
    run.Run(TaggedTrack(3, "One", "Ann") + TaggedTrack(3, "Two", "Bob"));
    EXPECT_EQ(run.f.ui.fragmentDialogs.size(), 1u);
    EXPECT_EQ(run.f.doc.cd.title, "Mine");
    EXPECT_FALSE(run.f.doc.modified);
    EXPECT_TRUE(run.f.ui.messages.empty());  // no "nothing usable" either
    EXPECT_TRUE(run.job.done);
    EXPECT_TRUE(run.job.finished);
    EXPECT_FALSE(run.job.trackListBuilt);
}

TEST(Id3v1Split, FileThatCannotBeOpenedAgainLeavesTheDocumentAlone) {
    ScanRun run;
    run.f.doc.cd.title = "Mine";
    run.failReopen = true;
    run.Run(TaggedTrack(3, "One", "Ann") + TaggedTrack(3, "Two", "Bob"));
    EXPECT_EQ(run.f.ui.MessageIds(), std::vector<int>{1048});
    EXPECT_NE(run.f.ui.messages[0].text.find("/musik/Album.mp3"), std::string::npos);
    EXPECT_EQ(run.f.doc.cd.title, "Mine");
    EXPECT_FALSE(run.f.doc.modified);
}

TEST(Id3v1Split, FragmentWithoutAudioStopsTheBuilding) {
    ScanRun run;
    run.Run(TaggedTrack(3, "One", "Ann") + std::string(50000, 'x') + Id3v1("Two", "Bob", "", "") +
            TaggedTrack(3, "Three", "Cy"));
    EXPECT_EQ(run.f.ui.MessageIds(), std::vector<int>{1072});
    EXPECT_EQ(run.f.ui.messages[0].text,
              "Kein MP3 Header im Fragment 2 gefunden. Kann kein CUE-Sheet erzeugen.");
    EXPECT_EQ(run.f.ui.messages[0].captionId, 1053);
    EXPECT_EQ(run.f.doc.trackCount, 1);
    EXPECT_EQ(run.f.doc.tracks[0].title, "One");
    EXPECT_FALSE(run.job.trackListBuilt);
}

TEST(Id3v1Split, CollectingStopsAtNinetyNineRecords) {
    std::string bytes;
    for (int i = 0; i < 101; ++i) {
        bytes += TaggedTrack(2.1, "T" + std::to_string(i + 1), "A");
    }
    for (bool untaggedEnd : {false, true}) {
        ScanRun run;
        run.Run(untaggedEnd ? bytes + CbrStream(40000) : bytes);
        EXPECT_EQ(run.job.split.fragments.size(), 99u);
        EXPECT_EQ(run.f.ui.MessageIds(), std::vector<int>{1089});
        EXPECT_EQ(run.f.ui.fragmentHeadings.at(0), "MP3 Scan komplett. 99 ID3v1-tag(s) gefunden.");
        ASSERT_EQ(run.f.doc.trackCount, 99);
        EXPECT_EQ(run.f.doc.tracks[98].title, "T99");
    }
    // 98 records and an untagged end fill the table exactly: nothing is dropped.
    std::string fits;
    for (int i = 0; i < 98; ++i) {
        fits += TaggedTrack(2.1, "T", "A");
    }
    ScanRun run;
    run.Run(fits + CbrStream(40000));
    EXPECT_EQ(run.job.split.fragments.size(), 99u);
    EXPECT_TRUE(run.f.ui.messages.empty());
}

TEST(Id3v1Split, OffsetsBeyondFourGibibytes) {
    FragmentTable table;
    ScanWindow window;
    const std::uint64_t chunkStart = 5ULL << 30;
    std::string record = Id3v1("Far", "Away", "", "");
    std::memcpy(window.Chunk() + 1000, record.data(), record.size());
    SearchWindowForTags(table, chunkStart, window.Data(), CarriedBytes + ScanChunkSize);
    ASSERT_EQ(table.fragments.size(), 1u);
    EXPECT_EQ(table.fragments[0].start, 0u);
    EXPECT_EQ(table.fragments[0].length, chunkStart + 1000 + 128);
    EXPECT_EQ(table.lastTagEnd, chunkStart + 1128);
    EXPECT_EQ(FragmentRows(table, German())[0].size, "5242881.1 Kb");
}

}  // namespace
}  // namespace tracklore
