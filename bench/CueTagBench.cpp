// Times the rewrite of a large MP3 file that has no tag (the cue tag is put in front of all of
// its audio) against `cp` of the same file in the same run, and checks that the rewrite takes
// no more than 1.5 times as long. The rewrite flushes the new file to the disk before it
// replaces the MP3 (and frees the old file's blocks); cp does neither, so the verdict compares
// with cp followed by `sync` of the copy. Both ratios are printed.
//
// Then, where an image of btrfs or XFS (with reflink) can be made and mounted through a loop
// device (as root, with the file system's tools installed), the same rewrite of a file with
// an old tag of an unaligned length, timed against a target of 50 ms: the new file must hold
// the audio byte for byte and share its blocks with a hard link kept to the original (FIEMAP).
// Each file system that cannot be had is skipped with the reason.
//
// Usage: tracklore_cuetag_bench [--dir FOLDER] [--mib SIZE] [--rounds N] [--sharing on|off]
//   --dir     where the test files go (default: the system's temporary folder); it should be
//             on the disk the comparison is meant for
//   --mib     size of the MP3 file in MiB (default 500)
//   --rounds  timed rounds; the medians are compared (default 3)
//   --sharing off skips the runs on btrfs and XFS images
// Exit status 0 when the rewrite stays within the limit of cp+sync and every file system that
// ran met its targets, 1 when not, 2 on a setup failure.

#include <fcntl.h>
#include <linux/fiemap.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "BenchData.h"
#include "flows/CueTagFlow.h"
#include "flows/Session.h"
#include "model/TrackList.h"
#include "mp3/CueTag.h"
#include "settings/Settings.h"
#include "support/ScriptedPlatform.h"

using namespace tracklore;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr double Limit = 1.5;

// A constant-bitrate MPEG 1 layer III stream (128 kbit/s, 44100 Hz) of whole frames.
bool WriteTaglessMp3(const std::string& path, std::uint64_t bytes) {
    constexpr std::size_t FrameSize = 417;
    std::string block;
    block.reserve(FrameSize * 2514);  // about 1 MiB
    for (int i = 0; i < 2514; ++i) {
        std::string frame(FrameSize, '\0');
        frame[0] = static_cast<char>(0xFF);
        frame[1] = static_cast<char>(0xFB);
        frame[2] = static_cast<char>(0x90);
        frame[3] = static_cast<char>(0x00);
        for (std::size_t k = 4; k < FrameSize; ++k) {
            frame[k] = static_cast<char>((i * 31 + k * 7) & 0x7F);
        }
        block += frame;
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        return false;
    }
    std::uint64_t left = bytes;
    bool ok = true;
    while (ok && left > 0) {
        std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(left, block.size()));
        ok = std::fwrite(block.data(), 1, n, file) == n;
        left -= n;
    }
    return std::fclose(file) == 0 && ok;
}

// Runs a program (no shell) and returns its exit status, -1 when it did not exit.
int Run(const std::vector<std::string>& args) {
    pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> argv;
        for (const auto& arg : args) {
            argv.push_back(const_cast<char*>(arg.c_str()));
        }
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) < 0) {
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Lets earlier writes reach the disk first, so that neither timed step pays for them.
void Settle() {
    Run({"sync"});
    usleep(500000);
}

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

bool RewriteWithTag(const std::string& path) {
    TrackList doc;
    doc.cd.title = "Benchmark";
    doc.cd.artist = "Tracklore";
    doc.trackCount = 12;
    for (int i = 0; i < doc.trackCount; ++i) {
        doc.tracks[i].title = "Track " + std::to_string(i + 1);
        doc.tracks[i].start = 150 + i * 18000;
    }
    Settings settings = DefaultSettings();
    ScriptedPlatform ui;
    Session session{doc, settings, ui};
    ui.OpenFileNext(FileDialogResult{path, 1});
    bool ok = WriteCueToMp3(session);
    return ok && ui.MessageIds() == std::vector<int>{1167};
}

// An ID3v2.3.0 tag of `length` bytes (a title frame, then zero padding), as a tagger leaves
// it in front of the audio; its length is no multiple of any block size.
std::string OldTag(std::uint64_t length) {
    std::string tag("ID3\x03\0\0", 6);
    const std::uint64_t size = length - 10;
    for (int shift : {21, 14, 7, 0}) {
        tag += static_cast<char>((size >> shift) & 0x7F);
    }
    const std::string title = std::string(1, '\0') + "Old title";
    tag += "TIT2";
    tag += std::string("\0\0\0", 3) + static_cast<char>(title.size());
    tag += std::string(2, '\0') + title;
    tag.resize(length, '\0');
    return tag;
}

// The ID3v2 tag length stated at the start of `path` (header included), 0 when none.
std::uint64_t TagLengthOf(const std::string& path) {
    unsigned char head[10] = {};
    std::ifstream in(path, std::ios::binary);
    in.read(reinterpret_cast<char*>(head), sizeof head);
    if (!in || head[0] != 'I' || head[1] != 'D' || head[2] != '3') {
        return 0;
    }
    return 10 + ((std::uint64_t{head[6]} << 21) | (std::uint64_t{head[7]} << 14) |
                 (std::uint64_t{head[8]} << 7) | head[9]);
}

// Whether `a` from `fromA` on and `b` from `fromB` on hold the same bytes.
bool SameTail(const std::string& a, std::uint64_t fromA, const std::string& b,
              std::uint64_t fromB) {
    std::ifstream x(a, std::ios::binary);
    std::ifstream y(b, std::ios::binary);
    x.seekg(static_cast<std::streamoff>(fromA));
    y.seekg(static_cast<std::streamoff>(fromB));
    std::vector<char> bx(1 << 20), by(1 << 20);
    while (true) {
        x.read(bx.data(), static_cast<std::streamsize>(bx.size()));
        y.read(by.data(), static_cast<std::streamsize>(by.size()));
        if (x.gcount() != y.gcount()) {
            return false;
        }
        if (x.gcount() == 0) {
            return true;
        }
        if (!std::equal(bx.begin(), bx.begin() + x.gcount(), by.begin())) {
            return false;
        }
    }
}

// Bytes of `path` in extents that the file system reports as shared with another file, and
// the count of those extents; false when the file system cannot tell.
bool SharedExtents(const std::string& path, std::uint64_t& sharedBytes, int& sharedExtents,
                   int& extents) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    constexpr unsigned MaxExtents = 4096;
    std::vector<unsigned char> buffer(sizeof(fiemap) + MaxExtents * sizeof(fiemap_extent));
    auto* map = reinterpret_cast<fiemap*>(buffer.data());
    map->fm_start = 0;
    map->fm_length = FIEMAP_MAX_OFFSET;
    map->fm_flags = FIEMAP_FLAG_SYNC;
    map->fm_extent_count = MaxExtents;
    const bool ok = ::ioctl(fd, FS_IOC_FIEMAP, map) == 0;
    ::close(fd);
    if (!ok) {
        return false;
    }
    sharedBytes = 0;
    sharedExtents = 0;
    extents = static_cast<int>(map->fm_mapped_extents);
    for (unsigned i = 0; i < map->fm_mapped_extents; ++i) {
        const fiemap_extent& extent = map->fm_extents[i];
        if ((extent.fe_flags & FIEMAP_EXTENT_SHARED) != 0) {
            sharedBytes += extent.fe_length;
            ++sharedExtents;
        }
    }
    return true;
}

// The rewrite on a file system that shares blocks between files (`kind`: btrfs or xfs),
// made in an image file mounted through a loop device under `base`. Prints the figures, or
// why the run was skipped. Returns 0 when it ran and met its targets (under 50 ms, audio
// unchanged, blocks shared with a hard link kept to the original), 1 when not, and -1 when
// it was skipped.
int RunOnSharingFileSystem(const std::string& kind, const std::string& base, std::uint64_t mib) {
    constexpr double TargetSeconds = 0.050;
    if (::geteuid() != 0) {
        std::printf("%s: skipped, mounting an image needs root\n", kind.c_str());
        return -1;
    }
    const std::string dir = tracklore::bench::MakeBenchDir("cuetag-" + kind, base);
    if (dir.empty()) {
        return -1;
    }
    const std::string image = dir + "/fs.img";
    const std::string mount = dir + "/mnt";
    fs::create_directory(mount);
    int result = -1;
    const std::string mkfs = "mkfs." + kind;
    const std::vector<std::string> format =
        kind == "xfs" ? std::vector<std::string>{mkfs, "-q", "-m", "reflink=1", image}
                      : std::vector<std::string>{mkfs, "-q", image};
    std::error_code ec;
    std::ofstream(image, std::ios::binary).close();
    fs::resize_file(image, ((mib + 512) << 20) * 2, ec);  // sparse
    if (ec) {
        std::printf("%s: skipped, no image file: %s\n", kind.c_str(), ec.message().c_str());
    } else if (int rc = Run(format); rc != 0) {
        std::printf("%s: skipped, %s %s (install its tools, e.g. %s)\n", kind.c_str(), mkfs.c_str(),
                    rc == 127 ? "is not installed" : "failed",
                    kind == "xfs" ? "xfsprogs" : "btrfs-progs");
    } else if (Run({"mount", "-o", "loop", image, mount}) != 0) {
        std::printf(
            "%s: skipped, the image cannot be mounted (no loop device or no %s in the "
            "kernel)\n",
            kind.c_str(), kind.c_str());
    } else {
        const std::string album = mount + "/album.mp3";
        const std::string original = mount + "/original.mp3";
        constexpr std::uint64_t OldTagLength = 333;  // shorter than the new tag
        std::ofstream(album, std::ios::binary) << OldTag(OldTagLength);
        const std::string audio = album + ".audio";
        bool ok = WriteTaglessMp3(audio, mib << 20);
        ok = ok && Run({"sh", "-c", "cat \"$0\" >> \"$1\" && rm \"$0\"", audio, album}) == 0;
        ok = ok && ::link(album.c_str(), original.c_str()) == 0;
        Settle();
        const auto start = Clock::now();
        ok = ok && RewriteWithTag(album);
        const double seconds = Seconds(Clock::now() - start);
        const std::uint64_t tagLength = TagLengthOf(album);
        const bool same = ok && tagLength > 0 && SameTail(album, tagLength, original, OldTagLength);
        std::uint64_t sharedBytes = 0;
        int sharedExtents = 0;
        int extents = 0;
        const bool mapped = ok && SharedExtents(album, sharedBytes, sharedExtents, extents);
        const std::uint64_t size = ok ? fs::file_size(album) : 0;
        std::printf(
            "%s: rewrite of a %llu MiB MP3 (old tag %llu bytes) %.1f ms (target < %.0f "
            "ms); new tag %llu bytes, audio %s\n",
            kind.c_str(), static_cast<unsigned long long>(mib),
            static_cast<unsigned long long>(OldTagLength), seconds * 1000, TargetSeconds * 1000,
            static_cast<unsigned long long>(tagLength), same ? "byte-identical" : "DIFFERENT");
        if (mapped) {
            std::printf(
                "%s: %d of %d extents (%.1f of %.1f MiB) shared with the original, "
                "which is kept as a hard link\n",
                kind.c_str(), sharedExtents, extents, static_cast<double>(sharedBytes) / (1 << 20),
                static_cast<double>(size) / (1 << 20));
        } else {
            std::printf("%s: the extents cannot be listed\n", kind.c_str());
        }
        const bool shared = mapped && sharedBytes + (1 << 20) >= size;
        result = ok && same && shared && seconds < TargetSeconds ? 0 : 1;
        std::printf("%s: %s\n", kind.c_str(), result == 0 ? "PASS" : "FAIL");
        Run({"umount", mount});
    }
    fs::remove_all(dir, ec);
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    std::string base = fs::temp_directory_path().string();
    std::uint64_t mib = 500;
    int rounds = 3;
    bool sharing = true;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string option = argv[i];
        if (option == "--dir") {
            base = argv[i + 1];
        } else if (option == "--mib") {
            mib = std::strtoull(argv[i + 1], nullptr, 10);
        } else if (option == "--sharing") {
            sharing = std::string(argv[i + 1]) != "off";
        } else if (option == "--rounds") {
            rounds = std::max(1, std::atoi(argv[i + 1]));
        } else {
            std::cerr << "unknown option " << option << "\n";
            return 2;
        }
    }

    const std::string dirName = tracklore::bench::MakeBenchDir("cuetag-bench", base);
    if (dirName.empty()) {
        return 2;
    }
    const fs::path dir = dirName;
    const std::string source = (dir / "source.mp3").string();
    const std::string copy = (dir / "copy.mp3").string();
    const std::string album = (dir / "album.mp3").string();
    const std::uint64_t bytes = mib << 20;

    int status = 2;
    if (!WriteTaglessMp3(source, bytes)) {
        std::cerr << "cannot write " << source << "\n";
    } else {
        std::vector<double> cpTimes, cpSyncTimes, rewriteTimes;
        bool ok = true;
        for (int round = 0; ok && round < rounds; ++round) {
            // cp of the file, and the same followed by flushing the copy to the disk (the
            // rewrite flushes its file before it renames it).
            Settle();
            auto start = Clock::now();
            ok = Run({"cp", source, copy}) == 0;
            cpTimes.push_back(Seconds(Clock::now() - start));
            ok = ok && Run({"sync", copy}) == 0;
            cpSyncTimes.push_back(Seconds(Clock::now() - start));
            fs::remove(copy);

            // The rewrite of a tagless copy (prepared untimed).
            ok = ok && Run({"cp", source, album}) == 0;
            Settle();
            start = Clock::now();
            ok = ok && RewriteWithTag(album);
            rewriteTimes.push_back(Seconds(Clock::now() - start));
            ok = ok && fs::file_size(album) > bytes;
            fs::remove(album);
            if (ok) {
                std::printf("round %d: cp %.3f s, cp+sync %.3f s, rewrite %.3f s\n", round + 1,
                            cpTimes.back(), cpSyncTimes.back(), rewriteTimes.back());
            }
        }
        if (!ok) {
            std::cerr << "a round failed\n";
        } else {
            const double cp = Median(cpTimes);
            const double cpSync = Median(cpSyncTimes);
            const double rewrite = Median(rewriteTimes);
            const double ratio = rewrite / cpSync;
            std::printf(
                "%llu MiB, medians of %d rounds: cp %.3f s, cp+sync %.3f s, rewrite %.3f s "
                "(%.0f MiB/s)\n",
                static_cast<unsigned long long>(mib), rounds, cp, cpSync, rewrite,
                static_cast<double>(mib) / rewrite);
            std::printf("rewrite / cp      = %.2f (cp leaves its copy in the page cache)\n",
                        rewrite / cp);
            std::printf("rewrite / cp+sync = %.2f (limit %.1f; both on disk): %s\n", ratio, Limit,
                        ratio <= Limit ? "PASS" : "FAIL");
            status = ratio <= Limit ? 0 : 1;
        }
    }
    std::error_code ec;
    fs::remove_all(dir, ec);
    if (sharing && status != 2) {
        for (const std::string kind : {"btrfs", "xfs"}) {
            if (RunOnSharingFileSystem(kind, base, mib) == 1) {
                status = 1;
            }
        }
    }
    return status;
}
