// Files that do not look like what they claim to be: tags whose sizes point past the end,
// cut frames, files of more than 4 GiB, folders with unreadable entries and symlink loops.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "flows/FolderScanFlow.h"
#include "flows/Reading.h"
#include "formats/CueSheet.h"
#include "mp3/FolderScan.h"
#include "mp3/Mp3Scan.h"
#include "mp3/Mpeg.h"
#include "support/Mp3Album.h"
#include "support/TestSupport.h"

namespace tracklore {
namespace {

using namespace test::mp3;
using test::TempDir;

TEST(HostileFiles, TagSizePointingPastTheEnd) {
    // A syncsafe size of 256 MiB in a file of a few kilobytes.
    std::string file = Id3v2Header(0x0FFFFFFF) + CbrStream(100000);
    MemorySource source(file);
    MpegStreamInfo info = ProbeMpegStream(source, static_cast<std::int64_t>(file.size()));
    EXPECT_FALSE(info.isMpeg);
    EXPECT_TRUE(info.hasId3v2);

    test::ScanRun run;
    run.Run(file);
    EXPECT_EQ(run.f.ui.MessageIds(), std::vector<int>{1071});
    EXPECT_EQ(run.f.doc.trackCount, 0);
}

TEST(HostileFiles, CutFramesAndHeadersOnly) {
    for (std::size_t length : {1u, 3u, 4u, 40u, 16383u}) {
        std::string file = CbrStream(100000).substr(0, length);
        MemorySource source(file);
        EXPECT_FALSE(ProbeMpegStream(source, static_cast<std::int64_t>(length)).isMpeg) << length;
    }
    // A tagged track cut inside its ID3v1 record: no record, nothing to split.
    std::string cut = TaggedTrack(5, "One", "Band");
    cut.resize(cut.size() - 60);
    test::ScanRun run;
    run.Run(cut);
    EXPECT_EQ(run.f.ui.MessageIds(), std::vector<int>{1071});
}

// A file of more than 4 GiB that is almost all hole: zeros except for the pieces placed in
// it. Reading it costs no disk and little time, so the whole scan can run over it.
class SparseSource : public ByteSource {
  public:
    explicit SparseSource(std::uint64_t size) : size_(size) {}
    void Place(std::uint64_t at, std::string bytes) { pieces_.push_back({at, std::move(bytes)}); }
    std::size_t Read(void* destination, std::size_t count) override {
        if (position_ >= size_) {
            return 0;
        }
        std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(count, size_ - position_));
        auto* out = static_cast<char*>(destination);
        std::memset(out, 0, n);
        for (const auto& [at, bytes] : pieces_) {
            std::uint64_t from = std::max(at, position_);
            std::uint64_t to = std::min(at + bytes.size(), position_ + n);
            if (from < to) {
                std::memcpy(out + (from - position_), bytes.data() + (from - at), to - from);
            }
        }
        position_ += n;
        return n;
    }
    std::uint64_t Position() const override { return position_; }
    void SeekTo(std::uint64_t position) override { position_ = position; }
    std::uint64_t Size() const override { return size_; }

  private:
    std::uint64_t size_;
    std::uint64_t position_ = 0;
    std::vector<std::pair<std::uint64_t, std::string>> pieces_;
};

// Records beyond the 32-bit range keep their offsets and the tracks after them measure right.
TEST(HostileFiles, ScanOfAFileBeyondFourGibibytes) {
    const std::uint64_t first = 3ULL << 30;                 // first record ends here
    const std::uint64_t second = (4ULL << 30) + (1 << 20);  // second record ends here
    const std::uint64_t size = second + 16 * 65536;
    auto make = [&] {
        auto source = std::make_unique<SparseSource>(size);
        source->Place(0, CbrStream(65536));
        source->Place(first - 128, Id3v1("One", "Band", "Album", "2001"));
        source->Place(first, CbrStream(65536));
        source->Place(second - 128, Id3v1("Two", "Band", "Album", "2001"));
        source->Place(second, CbrStream(65536));
        return source;
    };
    test::ScanRun run;
    run.source = [&](const std::string&) { return make(); };
    run.Run("");
    ASSERT_EQ(run.job.split.fragments.size(), 3u);
    EXPECT_EQ(run.job.split.fragments[1].start, first);
    EXPECT_EQ(run.job.split.fragments[1].length, second - first);
    EXPECT_EQ(run.job.split.fragments[2].start, second);
    EXPECT_EQ(run.job.processed, size);
    ASSERT_EQ(run.f.doc.trackCount, 3);
    // 3 GiB at 128 kbit/s are 201326.6 s; the second track starts after them.
    EXPECT_NEAR(run.f.doc.tracks[1].start, 150 + 75.0 * ((first - 128) / 16000.0), 2);
    EXPECT_GT(run.f.doc.tracks[2].start, run.f.doc.tracks[1].start);
}

// A real sparse file past 4 GiB: sizes and reads at far offsets are right.
TEST(HostileFiles, FileSourceBeyondFourGibibytes) {
    TempDir dir;
    const std::string path = dir.file("huge.mp3");
    const std::uint64_t far = (5ULL << 30) + 7;
    {
        std::ofstream out(path, std::ios::binary);
        out << "x";
    }
    std::filesystem::resize_file(path, far);
    {
        std::fstream out(path, std::ios::binary | std::ios::in | std::ios::out | std::ios::ate);
        out << Id3v1("Far", "Away", "", "");
    }
    auto file = FileSource::Open(path);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->Size(), far + 128);
    file->SeekTo(far);
    char tag[3] = {};
    ASSERT_EQ(file->Read(tag, 3), 3u);
    EXPECT_EQ(std::string(tag, 3), "TAG");
}

TEST(HostileFiles, FolderWithUnreadableFilesAndSymlinkLoops) {
    TempDir dir;
    const std::string folder = dir.path().string() + "/";
    dir.Write("01 good.mp3", CbrStream(160000));
    std::string locked = dir.Write("02 locked.mp3", CbrStream(160000));
    ::chmod(locked.c_str(), 0);
    std::filesystem::create_symlink("04 loop-b.mp3", dir.path() / "03 loop-a.mp3");
    std::filesystem::create_symlink("03 loop-a.mp3", dir.path() / "04 loop-b.mp3");
    std::filesystem::create_symlink("nowhere.mp3", dir.path() / "05 dangling.mp3");
    std::filesystem::create_directory(dir.path() / "06 folder.mp3");
    std::filesystem::create_directory_symlink(".", dir.path() / "07 self.mp3");
    ASSERT_EQ(mkfifo((folder + "08 pipe.mp3").c_str(), 0600), 0);

    test::Fixture f;
    ASSERT_TRUE(ScanFolder(f.session, folder, "*.mp3"));
    // Whoever may read the locked file (the superuser) gets two tracks, everybody else one.
    const int expected = ::access(locked.c_str(), R_OK) == 0 ? 2 : 1;
    EXPECT_EQ(f.doc.trackCount, expected);
    EXPECT_EQ(f.doc.tracks[0].title, "01 good.mp3");
    EXPECT_EQ(f.ui.MessageIds(), std::vector<int>{1098});
}

TEST(HostileFiles, CueSheetNamingAnUnreadableOrLoopingFile) {
    TempDir dir;
    std::filesystem::create_symlink("b.mp3", dir.path() / "a.mp3");
    std::filesystem::create_symlink("a.mp3", dir.path() / "b.mp3");
    test::Fixture f;
    ASSERT_TRUE(
        ReadCueSheet(f.session, "FILE \"a.mp3\" MP3\nTRACK 01 AUDIO\n", dir.path().string()));
    EXPECT_EQ(f.doc.cd.totalSeconds, 0);
}

}  // namespace
}  // namespace tracklore
