#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "support/RunCommand.h"
#include "support/TestSupport.h"

namespace tracklore {
namespace {

using test::RunCli;
using test::TempDir;

const std::string Example = std::string(TRACKLORE_SOURCE_DIR) + "/examples/beispiel.cue";

TEST(CliShow, JsonOfTheExample) {
    auto result = RunCli({"show", "--json", Example});
    ASSERT_EQ(result.status, 0) << result.err;
    auto json = nlohmann::json::parse(result.out);
    EXPECT_EQ(json["kind"], "cue");
    EXPECT_EQ(json["title"], "Nachtzug nach Lissabon");
    EXPECT_EQ(json["totalSeconds"], 2487);
    ASSERT_EQ(json["tracks"].size(), 9u);
    EXPECT_EQ(json["tracks"][0]["start"], 150);
    EXPECT_EQ(json["tracks"][3]["performer"], "Marta \u00d6zdemir");
    EXPECT_EQ(json["tracks"][8]["length"], 2487 * 75 - json["tracks"][8]["start"].get<int>());
    EXPECT_TRUE(result.err.empty());
}

TEST(CliShow, ReadableAndMshAndUnknownLength) {
    TempDir dir;
    std::string path = dir.Write("a.cue",
                                 "TRACK 01 AUDIO\nINDEX 01 00:00:00\nTRACK 02 AUDIO\n"
                                 "INDEX 01 01:00:50\n");
    auto plain = RunCli({"show", path});
    ASSERT_EQ(plain.status, 0) << plain.err;
    EXPECT_NE(plain.out.find("(bis EOF)"), std::string::npos);
    auto msh = RunCli({"show", "--json", "--msh", path});
    ASSERT_EQ(msh.status, 0);
    EXPECT_EQ(nlohmann::json::parse(msh.out)["tracks"][1]["start"], 150 + 60 * 75 + 37);
    EXPECT_EQ(nlohmann::json::parse(msh.out)["tracks"][1]["length"], -1);
}

TEST(CliShow, ErrorsAndUsage) {
    TempDir dir;
    auto missing = RunCli({"show", dir.file("none.cue")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.out.empty());
    EXPECT_EQ(missing.err.rfind("Fehler: Datei kann nicht ge\u00f6ffnet werden: ", 0), 0u)
        << missing.err;

    auto bad = RunCli({"show", dir.Write("bad.cue", "BOGUS x\nMORE y\n")});
    EXPECT_EQ(bad.status, 1);
    EXPECT_TRUE(bad.out.empty());
    EXPECT_NE(bad.err.find("Fehler: Unbekanntes Schl\u00fcsselwort in Zeile 1:\nBOGUS x\n"),
              std::string::npos);
    EXPECT_NE(bad.err.find("Fehler: Datei nicht lesbar."), std::string::npos);

    auto folder = RunCli({"show", dir.path().string()});
    EXPECT_EQ(folder.status, 1);
    auto garbage =
        RunCli({"show", dir.Write("garbage.bin", std::string("\x00\xff\x01\x02garbage", 11))});
    EXPECT_EQ(garbage.status, 1);

    EXPECT_EQ(RunCli({"show"}).status, 2);
    EXPECT_EQ(RunCli({"show", "--nope", Example}).status, 2);
    EXPECT_EQ(RunCli({"frobnicate"}).status, 2);
    EXPECT_EQ(RunCli({}).status, 2);
}

TEST(CliShow, JsonDecodesWindows1252) {
    TempDir dir;
    std::string path = dir.Write("w.cue", "TITLE \"\x80 \x81 \xe4\"\nPERFORMER x\n");
    auto result = RunCli({"show", "--json", path});
    ASSERT_EQ(result.status, 0);
    EXPECT_EQ(nlohmann::json::parse(result.out)["title"], "\u20ac \u0081 \u00e4");
}

TEST(CliConvert, BothWaysAndTheSaveAsRules) {
    TempDir dir;
    std::string xmcd = dir.file("album.xmcd");
    auto toXmcd = RunCli({"convert", Example, "-o", xmcd});
    ASSERT_EQ(toXmcd.status, 0) << toXmcd.err;
    EXPECT_TRUE(toXmcd.out.empty());
    auto shown = nlohmann::json::parse(RunCli({"show", "--json", xmcd}).out);
    EXPECT_EQ(shown["kind"], "xmcd");
    EXPECT_EQ(shown["audioFile"], "album");
    EXPECT_EQ(shown["tracks"].size(), 9u);

    auto noExtension = RunCli({"convert", xmcd, "-o", dir.file("plain")});
    ASSERT_EQ(noExtension.status, 0) << noExtension.err;
    EXPECT_NE(test::ReadFileBytes(dir.file("plain.cue")).find("FILE \"plain.mp3\" MP3\r\n"),
              std::string::npos);

    auto formatWins = RunCli({"convert", Example, "-o", dir.file("list.txt"), "--format", "cue"});
    ASSERT_EQ(formatWins.status, 0);
    EXPECT_EQ(test::ReadFileBytes(dir.file("list.txt")).substr(0, 6), "TITLE ");

    // Overwriting needs --yes; without it the default answer (No) leaves the file alone.
    auto refused = RunCli({"convert", Example, "-o", xmcd});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("existiert bereits"), std::string::npos);
    auto forced = RunCli({"convert", Example, "-o", xmcd, "--yes"});
    EXPECT_EQ(forced.status, 0);

    EXPECT_EQ(RunCli({"convert", Example}).status, 2);
    EXPECT_EQ(RunCli({"convert", Example, "-o", xmcd, "--format", "wav"}).status, 2);
    EXPECT_EQ(RunCli({"convert", dir.file("none.cue"), "-o", xmcd}).status, 1);
}

// A command whose input showed an error writes nothing: not the output of convert or export,
// not the tag of write-tag, and it says nothing of success.
TEST(CliCommands, NothingIsWrittenAfterAnInputThatShowedAnError) {
    TempDir dir;
    const std::string bad = dir.Write("bad.xmcd", "# xmcd\nTTITLE0=x\n");
    const std::string good = dir.Write("good.cue", "TITLE \"kept\"\r\n");
    const std::string mp3 = dir.Write("album.mp3", test::mp3::CbrStream(64 * 1024));
    ASSERT_EQ(RunCli({"write-tag", Example, mp3}).status, 0);
    const std::string tagged = test::ReadFileBytes(mp3);
    const std::vector<std::vector<std::string>> commands = {
        {"convert", bad, "-o", good, "--yes"},
        {"convert", bad, "-o", good, "--format", "xmcd", "--yes"},
        {"export", bad, "-o", good, "--format", "txt", "--yes"},
        {"write-tag", bad, mp3, "--yes"},
    };
    for (const auto& command : commands) {
        SCOPED_TRACE(command[0] + " " + command[command.size() - 2]);
        auto result = RunCli(command);
        EXPECT_EQ(result.status, 1);
        EXPECT_TRUE(result.out.empty());
        EXPECT_NE(result.err.find("Unbekanntes Schl\u00fcsselwort in Zeile 2"), std::string::npos)
            << result.err;
        EXPECT_EQ(result.err.find("Fertig:"), std::string::npos) << result.err;
        EXPECT_EQ(test::ReadFileBytes(good), "TITLE \"kept\"\r\n");
        EXPECT_EQ(test::ReadFileBytes(mp3), tagged);
    }
}

// An independent cue sheet parser reads what convert writes.
TEST(CliConvert, CuetoolsAcceptTheWrittenSheet) {
    if (!test::HaveProgram("cueprint") || !test::HaveProgram("cuebreakpoints")) {
        GTEST_SKIP() << "cuetools not installed";
    }
    TempDir dir;
    std::string cue = dir.file("out.cue");
    ASSERT_EQ(RunCli({"convert", Example, "-o", cue}).status, 0);
    auto printed = test::RunCommand({"cueprint", "-d", "%N\n", "-t", "%n|%t\n", cue});
    ASSERT_EQ(printed.status, 0) << printed.err;
    auto json = nlohmann::json::parse(RunCli({"show", "--json", Example}).out);
    std::string expected = "9\n";
    for (const auto& track : json["tracks"]) {
        expected += std::to_string(track["number"].get<int>()) + "|" +
                    track["title"].get<std::string>() + "\n";
    }
    // cueprint passes the bytes through: compare in Windows-1252.
    auto breakpoints = test::RunCommand({"cuebreakpoints", cue});
    ASSERT_EQ(breakpoints.status, 0);
    std::string expectedBreaks;
    int first = json["tracks"][0]["start"].get<int>();
    for (std::size_t i = 1; i < json["tracks"].size(); ++i) {
        int frames = json["tracks"][i]["start"].get<int>() - first;
        char text[32];
        std::snprintf(text, sizeof text, "%d:%02d.%02d\n", frames / 4500, frames / 75 % 60,
                      frames % 75);
        expectedBreaks += text;
    }
    EXPECT_EQ(breakpoints.out, expectedBreaks);
    std::string printedUtf8;
    for (unsigned char c : printed.out) {
        if (c < 0x80) {
            printedUtf8 += static_cast<char>(c);
        } else {
            printedUtf8 += static_cast<char>(0xC0 | (c >> 6));
            printedUtf8 += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    EXPECT_EQ(printedUtf8, expected);
}

}  // namespace
}  // namespace tracklore
