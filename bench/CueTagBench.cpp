// Times the rewrite of a large MP3 file that has no tag (the cue tag is put in front of all of
// its audio) against `cp` of the same file in the same run, and checks that the rewrite takes
// no more than 1.5 times as long. The rewrite flushes the new file to the disk before it
// replaces the MP3 (and frees the old file's blocks); cp does neither, so the verdict compares
// with cp followed by `sync` of the copy. Both ratios are printed.
//
// Usage: tracklore_cuetag_bench [--dir FOLDER] [--mib SIZE] [--rounds N]
//   --dir     where the test files go (default: the system's temporary folder); it should be
//             on the disk the comparison is meant for
//   --mib     size of the MP3 file in MiB (default 500)
//   --rounds  timed rounds; the medians are compared (default 3)
// Exit status 0 when the rewrite stays within the limit of cp+sync, 1 when not, 2 on a setup
// failure.

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
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

}  // namespace

int main(int argc, char** argv) {
    std::string base = fs::temp_directory_path().string();
    std::uint64_t mib = 500;
    int rounds = 3;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string option = argv[i];
        if (option == "--dir") {
            base = argv[i + 1];
        } else if (option == "--mib") {
            mib = std::strtoull(argv[i + 1], nullptr, 10);
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
    return status;
}
