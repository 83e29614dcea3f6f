#include <gtest/gtest.h>

#include <filesystem>

#include <nlohmann/json.hpp>

#include "support/Mp3Album.h"
#include "support/RunCommand.h"
#include "support/TestSupport.h"

namespace tracklore {
namespace {

using namespace test::mp3;
using test::RunCli;
using test::TempDir;

std::string JoinedAlbum() {
    return TaggedTrack(3, "Eins", "Anna", "Die Band - Das Album", "2001", 13) +
           TaggedTrack(2.5, "Zwei", "Bernd") + CbrStream(48000);
}

TEST(CliScanMp3, SplitPrintsTheRowsAndTheTrackList) {
    TempDir dir;
    std::string path = dir.Write("album.mp3", JoinedAlbum());
    auto text = RunCli({"scan-mp3", path});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_TRUE(text.err.empty()) << text.err;
    EXPECT_EQ(text.out.rfind("MP3 Scan komplett. 3 ID3v1-tag(s) gefunden.\n"
                             " 1\tAnna\tEins\t47.0 Kb\n"
                             " 2\tBernd\tZwei\t39.2 Kb\n"
                             " 3\tUnbenannter Interpret\tUnbenannt\t46.9 Kb\n",
                             0),
              0u)
        << text.out;
    EXPECT_NE(text.out.find("Interpret:  Die Band"), std::string::npos);

    auto json = RunCli({"scan-mp3", "--json", path});
    ASSERT_EQ(json.status, 0) << json.err;
    auto doc = nlohmann::json::parse(json.out);
    EXPECT_EQ(doc["kind"], nullptr);
    EXPECT_EQ(doc["title"], "Das Album");
    EXPECT_EQ(doc["genre"], "Pop");
    EXPECT_EQ(doc["audioFile"], "album");
    ASSERT_EQ(doc["tracks"].size(), 3u);
    EXPECT_EQ(doc["tracks"][1]["start"], 150 + 225);
    EXPECT_EQ(doc["tracks"][2]["title"], "Unbenannt");
}

TEST(CliScanMp3, SavesTheResult) {
    TempDir dir;
    std::string path = dir.Write("album.mp3", JoinedAlbum());
    auto cue = RunCli({"scan-mp3", path, "-o", dir.file("liste.cue"), "--json"});
    ASSERT_EQ(cue.status, 0) << cue.err;
    EXPECT_EQ(nlohmann::json::parse(cue.out)["kind"], "cue");
    std::string sheet = test::ReadFileBytes(dir.file("liste.cue"));
    EXPECT_NE(sheet.find("TITLE \"Zwei\""), std::string::npos) << sheet;

    auto xmcd = RunCli({"scan-mp3", path, "-o", dir.file("liste.xmcd")});
    ASSERT_EQ(xmcd.status, 0) << xmcd.err;
    EXPECT_EQ(test::ReadFileBytes(dir.file("liste.xmcd")).rfind("# xmcd", 0), 0u);
}

TEST(CliScanMp3, MessagesAndExitStatus) {
    TempDir dir;
    // Nothing usable: an information message, no track list, status 1.
    auto nothing = RunCli({"scan-mp3", dir.Write("one.mp3", TaggedTrack(3, "A", "B"))});
    EXPECT_EQ(nothing.status, 1);
    EXPECT_TRUE(nothing.out.empty());
    EXPECT_EQ(nothing.err,
              "MP3 Suchergebnisse: Keine brauchbaren CUE-Daten in der ausgew\u00e4hlten Datei "
              "gefunden.\n");

    auto zip = RunCli({"scan-mp3", dir.Write("zip.mp3", "PK\x03\x04" + JoinedAlbum())});
    EXPECT_EQ(zip.status, 1);
    EXPECT_TRUE(zip.out.empty());
    EXPECT_NE(zip.err.find("ZIP-Archiv"), std::string::npos);
    auto zipOff = RunCli({"scan-mp3", "--no-archives", dir.file("zip.mp3")});
    EXPECT_EQ(zipOff.status, 0) << zipOff.err;

    // The results dialog answered No.
    auto no = RunCli({"scan-mp3", "--no", dir.Write("album.mp3", JoinedAlbum())});
    EXPECT_EQ(no.status, 1);
    EXPECT_TRUE(no.out.empty());

    auto missing = RunCli({"scan-mp3", dir.file("fehlt.mp3")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err.rfind("Fehler: Datei nicht gefunden: ", 0), 0u);
    auto noMethod = RunCli({"scan-mp3", "--no-cue-tag", "--no-chapters", "--no-id3v1",
                            "--no-archives", dir.file("album.mp3")});
    EXPECT_EQ(noMethod.status, 1);
    EXPECT_EQ(noMethod.err, "Fehler: Du musst zumindest eine Suchmethode ausw\u00e4hlen.\n");
    EXPECT_EQ(RunCli({"scan-mp3"}).status, 2);
    EXPECT_EQ(RunCli({"scan-mp3", "--bogus", dir.file("album.mp3")}).status, 2);
}

TEST(CliScanMp3, CueSheetInTheTag) {
    TempDir dir;
    std::string cue =
        "TITLE \"Live\"\r\nPERFORMER \"Band\"\r\nTRACK 01 AUDIO\r\nINDEX 01 00:00:00\r\n";
    std::string path =
        dir.Write("live.mp3", CueTag(cue, std::string("Tracklore v1.6")) +
                                  TaggedTrack(3, "A", "B") + TaggedTrack(3, "C", "D"));
    // Without an answer the question takes its default, Yes: the sheet is the result.
    auto asked = RunCli({"scan-mp3", "--json", path});
    ASSERT_EQ(asked.status, 0) << asked.err;
    EXPECT_NE(asked.err.find("geschrieben von Tracklore v1.6."), std::string::npos);
    EXPECT_EQ(nlohmann::json::parse(asked.out)["tracks"].size(), 1u);

    auto yes = RunCli({"scan-mp3", "--yes", "--json", path});
    ASSERT_EQ(yes.status, 0) << yes.err;
    auto doc = nlohmann::json::parse(yes.out);
    EXPECT_EQ(doc["title"], "Live");
    EXPECT_EQ(doc["tracks"].size(), 1u);
    EXPECT_EQ(doc["audioFile"], "live");
}

TEST(CliScanFolder, TracksOfAFolder) {
    TempDir dir;
    dir.Write("b.MP3", CbrStream(64000) + Id3v1("Zwei", "Anna", "", ""));
    dir.Write("a.mp3", CbrStream(32000) + Id3v1("Eins", "Anna", "Album", "1990"));
    dir.Write("c.wav", CbrStream(48000));
    auto json = RunCli({"scan-folder", "--json", dir.path().string()});
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_EQ(json.err,
              "Ergebniss: Trackliste erfolgreich erstellt: 2 Tracks, gesammte Spielzeit: "
              "0:08:00.\n");
    auto doc = nlohmann::json::parse(json.out);
    EXPECT_EQ(doc["title"], "Album");
    EXPECT_EQ(doc["artist"], "Anna");
    ASSERT_EQ(doc["tracks"].size(), 2u);
    EXPECT_EQ(doc["tracks"][0]["title"], "Eins");
    // The audio is measured, its ID3v1 record not: 32000 bytes at 128 kbit/s are 2 seconds.
    EXPECT_EQ(doc["tracks"][1]["start"], 150 + 150);

    auto all =
        RunCli({"scan-folder", "--mask", "*.*", dir.path().string(), "-o", dir.file("ordner.cue")});
    ASSERT_EQ(all.status, 0) << all.err;
    EXPECT_NE(all.out.find("c.wav"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(dir.file("ordner.cue")));

    auto none = RunCli({"scan-folder", "--mask", "*.ogg", dir.path().string()});
    EXPECT_EQ(none.status, 1);
    EXPECT_TRUE(none.out.empty());
    EXPECT_EQ(none.err.rfind("Fehler: Der Ordner und die Dateimaske", 0), 0u);
    EXPECT_EQ(RunCli({"scan-folder", "--mask", "", dir.path().string()}).status, 2);
    EXPECT_EQ(RunCli({"scan-folder"}).status, 2);
}

}  // namespace
}  // namespace tracklore
