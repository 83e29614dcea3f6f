// Chapters in the cue tag: what the writer puts into the tag is read by two programs of their
// own (ffprobe, mutagen), and a chapter table that another program wrote comes back as the
// track list, whatever the sizes and counts in it claim.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "flows/Mp3ScanFlow.h"
#include "mp3/Chapters.h"
#include "mp3/CueTag.h"
#include "mp3/Mpeg.h"
#include "support/Id3Tags.h"
#include "support/RunCommand.h"
#include "support/TestSupport.h"

namespace tracklore {
namespace {

using test::RunCli;
using test::RunCommand;
using test::TempDir;
using test::mp3::BigEndian32;
using test::mp3::Id3Frame;
using test::mp3::Id3Tag;
using test::mp3::Id3TextData;

// A python3 that can import mutagen, or an empty text.
std::string PythonWithMutagen() {
    for (const std::string python : {"/usr/bin/python3", "python3"}) {
        if (RunCommand({python, "-c", "import mutagen"}).status == 0) {
            return python;
        }
    }
    return "";
}

// What mutagen reads of the chapter frames.
const char* MutagenChapters = R"(
import json, sys
from mutagen.id3 import ID3
tag = ID3(sys.argv[1], translate=False)
def text(frames, key):
    return str(frames[key]) if key in frames else None
tocs = [{"id": f.element_id, "flags": int(f.flags), "children": list(f.child_element_ids),
         "title": text(f.sub_frames, "TIT2")} for f in tag.getall("CTOC")]
chapters = {f.element_id: {"start": f.start_time, "end": f.end_time,
                           "offsets": [f.start_offset, f.end_offset],
                           "title": text(f.sub_frames, "TIT2"),
                           "performer": text(f.sub_frames, "TPE1")} for f in tag.getall("CHAP")}
print(json.dumps({"tocs": tocs, "chapters": chapters}))
)";

std::string Cue(const std::vector<std::string>& titles, const std::vector<int>& starts) {
    std::string cue =
        "TITLE \"Kapitel \xC3\xA4 \xE2\x84\xA6\"\r\nPERFORMER \"Band\"\r\n"
        "FILE \"x.mp3\" MP3\r\n";
    for (std::size_t i = 0; i < titles.size(); ++i) {
        char line[96];
        const int frames = starts[i] - 150;
        std::snprintf(line, sizeof line, "  TRACK %02zu AUDIO\r\n    INDEX 01 %02d:%02d:%02d\r\n",
                      i + 1, frames / 75 / 60, frames / 75 % 60, frames % 75);
        cue += line;
        cue += "    TITLE \"" + titles[i] + "\"\r\n";
        if (i % 2 == 1) {
            cue += "    PERFORMER \"Guest " + std::to_string(i) + "\"\r\n";
        }
    }
    return cue;
}

TEST(Chapters, WrittenChaptersAreReadByOtherPrograms) {
    const bool ffprobe = test::HaveProgram("ffprobe");
    const std::string python = PythonWithMutagen();
    if (python.empty()) {
        GTEST_SKIP() << "python3 with mutagen is not installed";
    }
    struct Case {
        std::string name;
        std::vector<std::string> titles;
        std::vector<int> starts;  // frames, with the lead-in
    };
    std::vector<Case> cases = {
        {"three tracks, one title beyond ISO-8859-1",
         {"Intro", "S\xC3\xBC\xC3\x9F", "\xE6\x97\xA5\xE6\x9C\xAC"},
         {150, 150 + 61 * 75 + 1, 150 + 125 * 75 + 74}},
        {"99 tracks", {}, {}},
    };
    for (int i = 0; i < MaxTracks; ++i) {
        cases[1].titles.push_back("Track " + std::to_string(i + 1));
        cases[1].starts.push_back(150 + i * 151 + i % 7);
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string doc = dir.Write("album.cue", Cue(c.titles, c.starts));
        const std::string audio =
            test::mp3::CbrStream(static_cast<std::size_t>(c.starts.back() / 75 + 5) * 16000);
        MemorySource untagged(audio);
        const double lengthMs =
            1000.0 * MpegDuration(untagged, static_cast<std::int64_t>(audio.size()));
        const std::string mp3 = dir.Write("album.mp3", audio);
        auto written = RunCli({"write-tag", doc, mp3});
        ASSERT_EQ(written.status, 0) << written.err;
        const std::size_t count = c.titles.size();
        auto startMs = [&](std::size_t i) { return (c.starts[i] - 150) * 1000.0 / 75; };
        auto endMs = [&](std::size_t i) { return i + 1 < count ? startMs(i + 1) : lengthMs; };

        if (ffprobe) {
            auto probe =
                RunCommand({"ffprobe", "-v", "error", "-show_chapters", "-of", "json", mp3});
            ASSERT_EQ(probe.status, 0) << probe.err;
            const auto chapters = nlohmann::json::parse(probe.out)["chapters"];
            ASSERT_EQ(chapters.size(), count) << probe.out;
            for (std::size_t i = 0; i < count; ++i) {
                const auto& chapter = chapters[i];
                EXPECT_EQ(chapter["time_base"], "1/1000");
                EXPECT_NEAR(chapter["start"].get<double>(), startMs(i), 1.0) << i;
                EXPECT_NEAR(chapter["end"].get<double>(), endMs(i), 1.0) << i;
                EXPECT_EQ(chapter["tags"]["title"], c.titles[i]) << i;
            }
        }

        auto dump = RunCommand({python, "-c", MutagenChapters, mp3});
        ASSERT_EQ(dump.status, 0) << dump.err;
        const auto json = nlohmann::json::parse(dump.out);
        ASSERT_EQ(json["tocs"].size(), 1u);
        const auto& toc = json["tocs"][0];
        EXPECT_EQ(toc["id"], "toc");
        EXPECT_EQ(toc["flags"], 3);
        EXPECT_EQ(toc["title"], "Kapitel \xC3\xA4 \xE2\x84\xA6");
        ASSERT_EQ(toc["children"].size(), count);
        ASSERT_EQ(json["chapters"].size(), count);
        for (std::size_t i = 0; i < count; ++i) {
            const std::string id = toc["children"][i];
            EXPECT_EQ(id, "chp" + std::to_string(i));
            const auto& chapter = json["chapters"][id];
            EXPECT_NEAR(chapter["start"].get<double>(), startMs(i), 0.5) << i;
            EXPECT_NEAR(chapter["end"].get<double>(), endMs(i), 0.5) << i;
            EXPECT_EQ(chapter["offsets"], nlohmann::json::parse("[4294967295, 4294967295]"));
            EXPECT_EQ(chapter["title"], c.titles[i]);
            EXPECT_EQ(chapter["performer"], i % 2 == 1 ? "Guest " + std::to_string(i) : "Band");
        }
    }
    if (!ffprobe) {
        GTEST_SKIP() << "ffprobe (ffmpeg) is not installed: only mutagen read the chapters";
    }
}

// A chapter frame as version 2.3 or 2.4 writes it: element ID, times, unused offsets, then the
// sub-frames.
std::string Chap(const std::string& id, std::uint32_t start, std::uint32_t end,
                 const std::string& subFrames) {
    return id + std::string(1, '\0') + BigEndian32(start) + BigEndian32(end) +
           std::string(8, '\xFF') + subFrames;
}
std::string Toc(const std::string& id, char flags, const std::vector<std::string>& entries,
                const std::string& subFrames, int count = -1) {
    std::string data = id + std::string(1, '\0') + flags;
    data += static_cast<char>(count < 0 ? static_cast<int>(entries.size()) : count);
    for (const std::string& entry : entries) {
        data += entry + std::string(1, '\0');
    }
    return data + subFrames;
}
std::string Title(const std::string& text, int encoding = 0) {
    return Id3Frame("TIT2", Id3TextData(text, encoding));
}
// The bytes as an unsynchronising writer stores them: a zero after every 0xFF that a zero or a
// byte of 0xE0 and above follows.
std::string Unsynchronised(const std::string& bytes) {
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        out += bytes[i];
        if (static_cast<unsigned char>(bytes[i]) == 0xFF && i + 1 < bytes.size() &&
            (bytes[i + 1] == '\0' || static_cast<unsigned char>(bytes[i + 1]) >= 0xE0)) {
            out += '\0';
        }
    }
    return out;
}

TEST(Chapters, ChapterTablesOfOtherWritersAndHostileOnes) {
    // A table that mutagen writes (version 2.4 and 2.3, texts in every encoding it offers),
    // whose order is the table's, not the frames'; then the scan takes it over.
    const std::string python = PythonWithMutagen();
    if (python.empty()) {
        GTEST_SKIP() << "python3 with mutagen is not installed";
    }
    const char* makeTable = R"(
import sys
from mutagen.id3 import ID3, CTOC, CHAP, TIT2, TPE1, CTOCFlags
tag = ID3()
tag.add(CTOC(element_id="t", flags=CTOCFlags.TOP_LEVEL | CTOCFlags.ORDERED,
             child_element_ids=["a", "b", "c"], sub_frames=[TIT2(encoding=1, text=["Alb\u00fcm"])]))
tag.add(CHAP(element_id="c", start_time=125500, end_time=130000,
             sub_frames=[TIT2(encoding=3, text=["\u65e5\u672c"]), TPE1(encoding=2, text=["Gast"])]))
tag.add(CHAP(element_id="a", start_time=0, end_time=61234,
             sub_frames=[TIT2(encoding=0, text=["Intro"]), TPE1(encoding=0, text=["Band"])]))
tag.add(CHAP(element_id="b", start_time=61234, end_time=125500,
             sub_frames=[TIT2(encoding=1, text=["S\u00fc\u00df"])]))
tag.add(CHAP(element_id="x", start_time=1000, end_time=2000, sub_frames=[TIT2(text=["not listed"])]))
tag.save(sys.argv[1], v2_version=int(sys.argv[2]))
)";
    for (const char* version : {"4", "3"}) {
        SCOPED_TRACE(std::string("version 2.") + version);
        TempDir dir;
        const std::string audio = test::mp3::CbrStream(140 * 16000);
        const std::string mp3 = dir.Write("other.mp3", audio);
        auto made = RunCommand({python, "-c", makeTable, mp3, version});
        ASSERT_EQ(made.status, 0) << made.err;

        test::Fixture f;
        f.ui.AnswerNext(MsgResult::Yes);
        Mp3ScanJob job;
        job.path = mp3;
        RunMp3ScanWorker(f.session, job, f.ui);
        ASSERT_EQ(f.ui.MessageIds(), std::vector<int>{6301});
        EXPECT_EQ(f.ui.messages[0].buttons, MsgButtons::YesNoCancel);
        EXPECT_EQ(f.ui.messages[0].DefaultAnswer(), MsgResult::Yes);
        EXPECT_NE(f.ui.messages[0].text.find("(3 Kapitel)"), std::string::npos);
        ASSERT_TRUE(job.trackListBuilt);
        EXPECT_EQ(f.doc.cd.title.str(), "Alb\xC3\xBCm");
        EXPECT_EQ(f.doc.cd.audioFile.str(), "other");
        EXPECT_NEAR(f.doc.cd.totalSeconds, 140, 1);
        ASSERT_EQ(f.doc.trackCount, 3);
        const char* titles[] = {"Intro", "S\xC3\xBC\xC3\x9F", "\xE6\x97\xA5\xE6\x9C\xAC"};
        const char* performers[] = {"Band", "", "Gast"};
        // 61.234 s is frame 4592.55, 125.5 s frame 9412.5: both round up.
        const int starts[] = {150, 150 + 4593, 150 + 9413};
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(f.doc.tracks[i].title.str(), titles[i]);
            EXPECT_EQ(f.doc.tracks[i].performer.str(), performers[i]);
            EXPECT_EQ(f.doc.tracks[i].start, starts[i]);
        }
        // Switched off, the table is not offered and the scan finds nothing else.
        auto off = RunCli({"scan-mp3", "--no-chapters", "--json", mp3});
        EXPECT_NE(off.status, 0);
        EXPECT_EQ(off.err.find("Kapitel"), std::string::npos) << off.err;
    }

    // Tags made here, each with the chapters it must give (titles in order).
    const std::string a = Chap("a", 0, 1000, Title("A"));
    const std::string b = Chap("b", 5000, 6000, Title("B", 3));
    std::string many;
    for (int i = 0; i < 120; ++i) {
        many += Id3Frame("CHAP", Chap("c" + std::to_string(i), 1000u * static_cast<unsigned>(i),
                                      1000u * static_cast<unsigned>(i + 1), ""));
    }
    struct Case {
        std::string name;
        std::string tag;
        std::vector<std::string> titles;
    };
    const std::vector<Case> cases = {
        {"no table: by start time", Id3Tag(Id3Frame("CHAP", b) + Id3Frame("CHAP", a)), {"A", "B"}},
        {"version 2.2 has no chapters", Id3Tag(Id3Frame("CHAP", a), 0, 0, 2), {}},
        {"table naming no chapter: every chapter",
         Id3Tag(Id3Frame("CTOC", Toc("t", 3, {"zz"}, "")) + Id3Frame("CHAP", a)),
         {"A"}},
        {"tables that name each other end",
         Id3Tag(Id3Frame("CTOC", Toc("t", 3, {"u", "b"}, "")) +
                Id3Frame("CTOC", Toc("u", 1, {"t", "a", "a"}, "")) + Id3Frame("CHAP", a) +
                Id3Frame("CHAP", b)),
         {"A", "B"}},
        {"entry count beyond the entries",
         Id3Tag(Id3Frame("CTOC", Toc("t", 3, {"a"}, "", 255)) + Id3Frame("CHAP", a)),
         {"A"}},
        {"chapter without times", Id3Tag(Id3Frame("CHAP", std::string("a\0\0\0", 4))), {}},
        {"element ID without terminator", Id3Tag(Id3Frame("CHAP", "abcdefghijklmnopqrst")), {}},
        {"bytes after the last sub-frame",
         Id3Tag(Id3Frame("CHAP", Chap("a", 0, 1, Title("A") + "\x7F\xFF\xFF\xFF"))),
         {"A"}},
        {"sub-frame size beyond the chapter",
         Id3Tag(Id3Frame(
             "CHAP",
             Chap("a", 0, 1, "TIT2" + BigEndian32(0xFFFFFFF0) + std::string("\0\0\0A", 4)))),
         {""}},
        {"frame size beyond the tag",
         Id3Tag(Id3Frame("CHAP", a) + "CHAP" + BigEndian32(0xFFFFFFFF) + std::string(2, '\0')),
         {"A"}},
        {"tag size beyond the bytes", Id3Tag(Id3Frame("CHAP", a)).substr(0, 30), {}},
        {"unsynchronised tag", Id3Tag(Unsynchronised(Id3Frame("CHAP", a)), 0, 0x80), {"A"}},
        {"extended header claiming everything",
         Id3Tag(BigEndian32(0xFFFFFFF0) + Id3Frame("CHAP", a), 0, 0x40),
         {}},
        {"more chapters than tracks", Id3Tag(many), std::vector<std::string>(120, "")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ChapterTable table = ReadChapters(c.tag);
        std::vector<std::string> titles;
        for (const Chapter& chapter : table.chapters) {
            titles.push_back(chapter.title);
        }
        EXPECT_EQ(titles, c.titles);
        const TrackList list = ChapterTrackList(table);
        EXPECT_EQ(list.trackCount, std::min<int>(static_cast<int>(c.titles.size()), MaxTracks));
        for (int i = 1; i < list.trackCount; ++i) {
            EXPECT_LE(list.tracks[i - 1].start, list.tracks[i].start);
        }
    }
}

}  // namespace
}  // namespace tracklore
