#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <random>
#include <regex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "mp3/CueTag.h"
#include "support/Id3Tags.h"
#include "support/RunCommand.h"
#include "support/TestSupport.h"

namespace tracklore {
namespace {

using test::ReadFileBytes;
using test::RunCli;
using test::RunCommand;
using test::TempDir;
namespace fs = std::filesystem;

const std::string CueText =
    "TITLE \"Best Of\"\r\nPERFORMER \"Band\"\r\nREM Year  : 1999\r\nREM Genre : Rock\r\n"
    "FILE \"x.mp3\" MP3\r\n  TRACK 01 AUDIO\r\n    TITLE \"One\"\r\n    INDEX 01 00:00:00\r\n"
    "  TRACK 02 AUDIO\r\n    TITLE \"Two\"\r\n    PERFORMER \"Guest\"\r\n"
    "    INDEX 01 01:00:00\r\n";

using test::mp3::Id3Frame;
using test::mp3::Id3TagLength;

// A python3 that can import mutagen, or an empty text.
std::string PythonWithMutagen() {
    for (const std::string python : {"/usr/bin/python3", "python3"}) {
        if (RunCommand({python, "-c", "import mutagen"}).status == 0) {
            return python;
        }
    }
    return "";
}

// What mutagen reads from the tag: version and the frames in file order.
const char* MutagenDump = R"(
import json, sys
from mutagen.id3 import ID3
tag = ID3(sys.argv[1], translate=False)
frames = []
for frame in tag.values():
    entry = {"id": frame.FrameID}
    if frame.FrameID.startswith("T"):
        entry["text"] = [str(t) for t in frame.text]
    elif frame.FrameID == "GEOB":
        entry.update(mime=frame.mime, filename=frame.filename, desc=frame.desc)
    elif frame.FrameID == "COMM":
        entry.update(lang=frame.lang, text=[str(t) for t in frame.text])
    elif frame.FrameID == "APIC":
        entry.update(mime=frame.mime, type=int(frame.type), data=frame.data.hex())
    frames.append(entry)
print(json.dumps({"version": list(tag.version), "size": tag.size, "frames": frames}))
)";

TEST(CueTagProcess, RealTagLibraryReadsTheTag) {
    const std::string python = PythonWithMutagen();
    if (python.empty()) {
        GTEST_SKIP() << "python3 with mutagen is not installed";
    }
    TempDir dir;
    const std::string doc = dir.Write("album.cue", CueText);
    const std::string audio = test::mp3::CbrStream(50000);
    const std::string oldFrames =
        Id3Frame("COMM", std::string("\0eng\0Keep me", 12)) +
        Id3Frame("TIT2", std::string("\0Old", 4)) +
        Id3Frame("APIC", std::string("\0image/png\0\x03\0", 13) + "\x89PNG") +
        Id3Frame("COMM", std::string("\0eng\0Second", 11));
    const std::string mp3 = dir.Write(
        "album.mp3",
        test::mp3::Id3v2Header(static_cast<std::uint32_t>(oldFrames.size())) + oldFrames + audio);

    // The first write rewrites the file (the old tag has no room), the second writes in place.
    // Without chapters: the frames of the cue sheet alone (the chapters have a test of their
    // own).
    for (int run = 0; run < 2; ++run) {
        auto result = RunCli({"write-tag", "--no-chapters", doc, mp3});
        ASSERT_EQ(result.status, 0) << result.err;
        const std::string file = ReadFileBytes(mp3);
        EXPECT_EQ(file.substr(Id3TagLength(file)), audio);

        auto dump = RunCommand({python, "-c", MutagenDump, mp3});
        ASSERT_EQ(dump.status, 0) << dump.err;
        auto json = nlohmann::json::parse(dump.out);
        EXPECT_EQ(json["version"], nlohmann::json::parse("[2, 3, 0]"));
        EXPECT_EQ(json["size"].get<std::uint64_t>(), Id3TagLength(file));
        const auto& frames = json["frames"];
        std::vector<std::string> ids;
        for (const auto& frame : frames) {
            ids.push_back(frame["id"]);
        }
        ASSERT_EQ(ids, (std::vector<std::string>{"TRCK", "TPE1", "TIT2", "TALB", "TYER", "TCON",
                                                 "GEOB", "COMM", "APIC"}))
            << dump.out;
        EXPECT_EQ(frames[0]["text"][0], "2");
        EXPECT_EQ(frames[1]["text"][0], "Band");
        EXPECT_EQ(frames[2]["text"][0], "Best Of");
        EXPECT_EQ(frames[3]["text"][0], "Best Of");
        EXPECT_EQ(frames[4]["text"][0], "1999");
        EXPECT_EQ(frames[5]["text"][0], "Rock");
        EXPECT_EQ(frames[6]["mime"], "text");
        EXPECT_EQ(frames[6]["filename"], "mp3cue CueSheet");
        EXPECT_EQ(frames[6]["desc"].get<std::string>().rfind("QCUESHEET\r\nTITLE \"Best Of\"", 0),
                  0u);
        EXPECT_EQ(frames[7]["lang"], "eng");
        EXPECT_EQ(frames[7]["text"][0], "Keep me");
        EXPECT_EQ(frames[8]["mime"], "image/png");
        EXPECT_EQ(frames[8]["type"], 3);
        EXPECT_EQ(frames[8]["data"], "89504e47");
    }
}

TEST(CueTagProcess, CommandLine) {
    TempDir dir;
    const std::string doc = dir.Write("album.cue", CueText);
    const std::string audio = test::mp3::CbrStream(50000);
    const std::string mp3 = dir.Write("album.mp3", audio);

    auto written = RunCli({"write-tag", doc, mp3});
    EXPECT_EQ(written.status, 0);
    EXPECT_TRUE(written.out.empty());
    EXPECT_EQ(written.err,
              "Fertig: Cue-Sheet wurde erfolgreich zur MP3-Datei gesichert: " + mp3 + "\n");
    const std::string file = ReadFileBytes(mp3);
    EXPECT_EQ(file.substr(Id3TagLength(file)), audio);

    // An ID3v2.4 tag: without --yes the question is answered Cancel and nothing changes.
    const std::string v4 = test::mp3::Id3v2Header(100, 0, 4) + std::string(100, '\0') + audio;
    dir.Write("v4.mp3", v4);
    auto cancelled = RunCli({"write-tag", doc, dir.file("v4.mp3")});
    EXPECT_EQ(cancelled.status, 1);
    EXPECT_NE(cancelled.err.find("Schreibe Cue-Sheet zur MP3: ID3v2-tag existiert bereits."),
              std::string::npos);
    EXPECT_EQ(ReadFileBytes(dir.file("v4.mp3")), v4);
    auto confirmed = RunCli({"write-tag", "--yes", doc, dir.file("v4.mp3")});
    EXPECT_EQ(confirmed.status, 0) << confirmed.err;
    EXPECT_EQ(ReadFileBytes(dir.file("v4.mp3"))[3], 3);

    // scan-mp3 finds the cue sheet again.
    auto scanned = RunCli({"scan-mp3", "--yes", "--json", mp3});
    ASSERT_EQ(scanned.status, 0) << scanned.err;
    auto json = nlohmann::json::parse(scanned.out);
    EXPECT_EQ(json["title"], "Best Of");
    EXPECT_EQ(json["artist"], "Band");
    EXPECT_EQ(json["audioFile"], "album");
    ASSERT_EQ(json["tracks"].size(), 2u);
    EXPECT_EQ(json["tracks"][1]["title"], "Two");
    EXPECT_EQ(json["tracks"][1]["performer"], "Guest");
    EXPECT_EQ(json["tracks"][1]["start"], 150 + 60 * 75);

    auto notMp3 = RunCli({"write-tag", doc, doc});
    EXPECT_EQ(notMp3.status, 1);
    EXPECT_TRUE(notMp3.out.empty());
    EXPECT_EQ(notMp3.err, "Fehler: Die Datei " + doc +
                              " ist keine MP3-Datei. Bitte w\u00e4hle eine g\u00fcltige "
                              "MP3-Datei aus.\n");
    EXPECT_EQ(RunCli({"write-tag", dir.file("none.cue"), mp3}).status, 1);
    EXPECT_EQ(RunCli({"write-tag", mp3}).status, 2);
    EXPECT_EQ(RunCli({"write-tag", doc, mp3, "--bogus"}).status, 2);
}

// A temporary file of a rewrite: the short hidden name of every safe write and, once the
// writer marked it, the marker naming the MP3 it belongs to.
bool IsTemporaryOf(const fs::path& dir, const std::string& entry, const std::string& name) {
    if (!std::regex_match(entry, std::regex("\\.tracklore-[A-Za-z0-9]{6}"))) {
        return false;
    }
    char marker[256] = {};
    ssize_t n = ::getxattr((dir / entry).c_str(), "user.tracklore.partial", marker, sizeof marker);
    return n < 0 || std::string(marker, static_cast<std::size_t>(n)) == name;
}

// Starts tracklore-cli write-tag with its output thrown away.
pid_t StartWriter(const std::string& doc, const std::string& mp3) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (int fd : {0, 1, 2}) {
        posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", fd == 0 ? O_RDONLY : O_WRONLY,
                                         0);
    }
    std::vector<std::string> args{TRACKLORE_CLI, "write-tag", doc, mp3};
    std::vector<char*> argv;
    for (auto& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, TRACKLORE_CLI, &actions, nullptr, argv.data(), environ) != 0) {
        pid = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

std::set<std::string> Entries(const fs::path& dir) {
    std::set<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        names.insert(it->path().filename().string());
    }
    return names;
}

// The size of a temporary file in `dir` that is not among `before`, or -1 when there is none.
std::int64_t NewTemporarySize(const fs::path& dir, const std::set<std::string>& before) {
    for (const std::string& name : Entries(dir)) {
        if (!before.count(name) && name[0] == '.') {
            std::error_code ec;
            auto size = fs::file_size(dir / name, ec);
            return ec ? 0 : static_cast<std::int64_t>(size);
        }
    }
    return -1;
}

TEST(CueTagProcess, KilledRewriteLeavesTheOriginalIntact) {
    TempDir reference, work;
    const std::string original = test::mp3::CbrStream(8 << 20);
    const std::string refDoc = reference.Write("album.cue", CueText);
    const std::string refMp3 = reference.Write("album.mp3", original);
    auto started = std::chrono::steady_clock::now();
    ASSERT_EQ(RunCli({"write-tag", refDoc, refMp3}).status, 0);
    const auto fullRun = std::chrono::steady_clock::now() - started;
    const std::string complete = ReadFileBytes(refMp3);
    ASSERT_GT(complete.size(), original.size());

    const std::string doc = work.Write("album.cue", CueText);
    const std::string mp3 = work.Write("album.mp3", original);
    const bool marksWork = ::setxattr(doc.c_str(), "user.tracklore.probe", "1", 1, 0) == 0;

    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    int killedMidRewrite = 0;
    for (int round = 0; round < 12; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const std::set<std::string> before = Entries(work.path());
        pid_t pid = StartWriter(doc, mp3);
        ASSERT_GT(pid, 0);
        if (round % 2 == 0) {
            // At a random moment of a whole run.
            auto delay = std::chrono::duration_cast<std::chrono::microseconds>(fullRun) *
                         std::uniform_real_distribution<double>(0.0, 1.2)(random);
            std::this_thread::sleep_for(delay);
        } else {
            // Once the temporary file holds a random share of the new file.
            const auto threshold = static_cast<std::int64_t>(
                std::uniform_real_distribution<double>(0.0, 1.0)(random) * complete.size());
            auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            while (std::chrono::steady_clock::now() < deadline &&
                   NewTemporarySize(work.path(), before) < threshold &&
                   waitpid(pid, nullptr, WNOHANG) == 0) {
                std::this_thread::sleep_for(std::chrono::microseconds(100));
            }
        }
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);

        const std::string now = ReadFileBytes(mp3);
        ASSERT_TRUE(now == original || now == complete) << "size " << now.size();
        bool newLeftover = false;
        for (const std::string& name : Entries(work.path())) {
            if (name == "album.mp3" || name == "album.cue") {
                continue;
            }
            // Anything else is a hidden temporary file that no MP3 mask matches.
            EXPECT_TRUE(IsTemporaryOf(work.path(), name, "album.mp3")) << name;
            newLeftover = newLeftover || !before.count(name);
        }
        if (now == original && newLeftover) {
            ++killedMidRewrite;
        }
        if (now == complete) {
            work.Write("album.mp3", original);  // the next round rewrites again
        }
    }
    EXPECT_GE(killedMidRewrite, 1);

    // A run that is left alone completes and clears away what the killed ones left.
    auto finished = RunCli({"write-tag", doc, mp3});
    ASSERT_EQ(finished.status, 0) << finished.err;
    EXPECT_EQ(ReadFileBytes(mp3), complete);
    // Only a writer killed in the moment between creating its temporary file and marking it
    // leaves a file behind for good, and that one is empty.
    if (marksWork) {
        for (const auto& entry : fs::directory_iterator(work.path())) {
            const std::string name = entry.path().filename().string();
            if (name != "album.mp3" && name != "album.cue") {
                EXPECT_EQ(fs::file_size(entry.path()), 0u) << name;
            }
        }
    }
}

}  // namespace
}  // namespace tracklore
