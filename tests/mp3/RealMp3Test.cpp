#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "flows/FolderScanFlow.h"
#include "flows/Mp3ScanFlow.h"
#include "mp3/FolderScan.h"
#include "mp3/Mp3Scan.h"
#include "mp3/Mpeg.h"
#include "support/Mp3Album.h"
#include "support/RunCommand.h"
#include "support/TestSupport.h"

namespace tracklore {
namespace {

using test::TempDir;
using test::mp3::EncodeWithLame;

// Files made by a real encoder from generated tones: constant and variable bitrate, with an
// ID3v1 record only or with an ID3v2 tag in front as well.
class RealMp3 : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!test::HaveProgram("lame")) {
            GTEST_SKIP() << "lame is not installed";
        }
    }

    struct Track {
        std::string path;
        double seconds;
        std::string title;
        std::string artist;
    };

    // Encodes the three tracks of an album into the folder and returns them.
    std::vector<Track> EncodeAlbum(const std::vector<std::string>& mode) {
        std::vector<Track> tracks = {{dir.file("01.mp3"), 3.0, "Erster Satz", "Anna"},
                                     {dir.file("02.mp3"), 2.5, "Zweiter Satz", "Bernd"},
                                     {dir.file("03.mp3"), 4.0, "Dritter Satz", "Anna"}};
        for (std::size_t i = 0; i < tracks.size(); ++i) {
            std::vector<std::string> args = mode;
            args.insert(args.end(), {"--tt", tracks[i].title, "--ta", tracks[i].artist, "--tl",
                                     "Quartett - Sommer", "--ty", "2004", "--tg", "Classical"});
            EXPECT_TRUE(EncodeWithLame(tracks[i].path, tracks[i].seconds, 330.0 + 110 * i, args));
        }
        return tracks;
    }

    static float Measure(const std::string& bytes, std::int64_t size) {
        MemorySource source(bytes);
        return MpegDuration(source, size);
    }

    // Joins the files, scans the result and checks it against the tracks measured one by one.
    void CheckJoinedScan(const std::vector<Track>& tracks) {
        std::string joined;
        std::vector<float> durations;
        for (const Track& track : tracks) {
            std::string bytes = test::ReadFileBytes(track.path);
            ASSERT_GT(bytes.size(), 128u);
            EXPECT_EQ(bytes.compare(bytes.size() - 128, 3, "TAG"), 0);
            float seconds = Measure(bytes, static_cast<std::int64_t>(bytes.size()) - 128);
            EXPECT_NEAR(seconds, track.seconds, 0.12) << track.path;
            durations.push_back(seconds);
            joined += bytes;
        }
        std::string path = dir.Write("album.mp3", joined);

        test::Fixture f;
        Mp3ScanJob job;
        job.path = path;
        RunMp3ScanWorker(f.session, job, f.ui);
        EXPECT_TRUE(f.ui.messages.empty());
        ASSERT_EQ(f.ui.fragmentDialogs.size(), 1u);
        EXPECT_EQ(f.ui.fragmentDialogs[0].size(), tracks.size());
        ASSERT_TRUE(job.trackListBuilt);
        ASSERT_EQ(f.doc.trackCount, static_cast<int>(tracks.size()));
        float running = 2.0f;
        for (std::size_t i = 0; i < tracks.size(); ++i) {
            EXPECT_EQ(f.doc.tracks[i].title, tracks[i].title);
            EXPECT_EQ(f.doc.tracks[i].performer, tracks[i].artist);
            EXPECT_EQ(f.doc.tracks[i].start, static_cast<int>(std::floor(75.0 * running + 0.5)));
            running += durations[i];
        }
        EXPECT_EQ(f.doc.cd.totalSeconds, static_cast<int>(std::floor(running + 0.5)));
        EXPECT_EQ(f.doc.cd.artist, "Quartett");
        EXPECT_EQ(f.doc.cd.title, "Sommer");
        EXPECT_EQ(f.doc.cd.year, "2004");
        EXPECT_EQ(f.doc.cd.genre, "Classical");
        EXPECT_EQ(f.doc.cd.audioFile, "album");
    }

    TempDir dir;
};

TEST_F(RealMp3, ConstantBitrateAlbumIsSplitAtItsRecords) {
    CheckJoinedScan(EncodeAlbum({"-b", "128", "--id3v1-only"}));
}

TEST_F(RealMp3, VariableBitrateAlbumWithBothTagsIsSplit) {
    std::vector<Track> tracks = EncodeAlbum({"-V", "4", "--add-id3v2"});
    std::string first = test::ReadFileBytes(tracks[0].path);
    MemorySource source(first);
    MpegStreamInfo info = ProbeMpegStream(source, static_cast<std::int64_t>(first.size()) - 128);
    EXPECT_TRUE(info.hasId3v2);
    EXPECT_TRUE(info.isVbr);
    CheckJoinedScan(tracks);
}

TEST_F(RealMp3, FolderOfEncodedFiles) {
    std::vector<Track> tracks = EncodeAlbum({"-b", "160", "--id3v1-only"});
    dir.Write("cover.jpg", std::string(4000, '\x7F'));
    test::Fixture f;
    ASSERT_TRUE(RunFolderScan(f.session, dir.path().string(), "*.*"));
    ASSERT_EQ(f.doc.trackCount, 3);
    std::int32_t start = 150;
    for (std::size_t i = 0; i < tracks.size(); ++i) {
        std::string bytes = test::ReadFileBytes(tracks[i].path);
        float seconds = Measure(bytes, static_cast<std::int64_t>(bytes.size()));
        EXPECT_EQ(f.doc.tracks[i].start, start);
        EXPECT_EQ(f.doc.tracks[i].title, tracks[i].title);
        start += static_cast<std::int32_t>(std::floor(75.0 * seconds + 0.5));
    }
    EXPECT_EQ(f.doc.cd.title, "Quartett - Sommer");
    EXPECT_EQ(f.doc.cd.artist, "Various");
    EXPECT_EQ(f.ui.MessageIds(), std::vector<int>{1098});
}

TEST_F(RealMp3, LowSampleRateMonoIsMeasured) {
    // MPEG 2 layer III, mono, 48 kbit/s.
    std::string path = dir.file("mono.mp3");
    ASSERT_TRUE(EncodeWithLame(path, 4.0, 440.0, {"-m", "m", "--resample", "22.05", "-b", "48"}));
    std::string bytes = test::ReadFileBytes(path);
    MemorySource source(bytes);
    MpegStreamInfo info = ProbeMpegStream(source, static_cast<std::int64_t>(bytes.size()));
    ASSERT_TRUE(info.isMpeg);
    EXPECT_EQ(info.version, 2);
    EXPECT_EQ(info.sampleRate, 22050);
    EXPECT_EQ(info.bitrate, 48);
    EXPECT_NEAR(info.durationSeconds, 4.0, 0.15);
}

}  // namespace
}  // namespace tracklore
