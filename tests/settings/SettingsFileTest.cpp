#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "settings/IniFile.h"
#include "settings/Settings.h"
#include "settings/SettingsFile.h"
#include "support/TestSupport.h"

namespace tracklore {
namespace {

using test::ReadFileBytes;
using test::TempDir;

// ---- INI text -------------------------------------------------------------------------

TEST(IniFile, NamesMatchWithoutCaseAndBlanksAroundAreIgnored) {
    IniFile ini("; comment\n[state]\n  lastdir = /home/a b \nEmpty=\n[Other]\nLastDir=x\n");
    EXPECT_EQ(ini.Get("State", "LastDir"), "/home/a b");
    EXPECT_EQ(ini.Get("STATE", "LASTDIR"), "/home/a b");
    EXPECT_EQ(ini.Get("State", "Empty"), "");
    EXPECT_FALSE(ini.Get("State", "Missing").has_value());
    EXPECT_FALSE(ini.Get("Missing", "LastDir").has_value());
    EXPECT_EQ(ini.Get("other", "lastdir"), "x");
}

TEST(IniFile, SetReplacesInPlaceAddsToSectionAndKeepsOtherLines) {
    IniFile ini(
        "; my settings\r\n[State]\r\nLASTDIR=/old\r\nUnknown=keep\r\n\r\n[Formats]\r\nMSH=1\r\n");
    ini.Set("state", "LastDir", "/new");
    ini.Set("State", "ScanID3v1", "0");
    ini.Set("MP3Scan", "Priority", "-2");
    ini.Set("Formats", "msh", "2");
    EXPECT_EQ(ini.Text(),
              "; my settings\r\n[State]\r\nLASTDIR=/new\r\nUnknown=keep\r\nScanID3v1=0\r\n\r\n"
              "[Formats]\r\nMSH=2\r\n\r\n[MP3Scan]\r\nPriority=-2\r\n");
}

TEST(IniFile, ValuesAreOneLineAndFileWithoutFinalLineEndGrowsCleanly) {
    IniFile ini("[State]\nA=1");
    ini.Set("State", "B", "two\nlines");
    EXPECT_EQ(ini.Text(), "[State]\nA=1\nB=two\n");
    IniFile empty;
    empty.Set("FreeDB", "URL", "http://h/%x/%y");
    EXPECT_EQ(empty.Text(), "[FreeDB]\nURL=http://h/%x/%y\n");
}

// ---- Settings file --------------------------------------------------------------------

// Stray CRs before a line end are part of the line end, so the file reads the same once it
// is written back (found by fuzzing: "[State\r\r\n" became a second State section).
TEST(IniFile, StrayCarriageReturnsReadTheSameAfterWriting) {
    IniFile ini("[Other]\n[State\r\r\n[State]\r\nLastDir=a\r\r\n");
    ini.Set("State", "LastDir", "/b/");
    EXPECT_EQ(ini.Get("State", "LastDir"), std::optional<std::string>("/b/"));
    IniFile again(ini.Text());
    EXPECT_EQ(again.Get("State", "LastDir"), std::optional<std::string>("/b/"));
}

TEST(SettingsFile, FirstStartUsesDefaultsAndExitWritesEveryKeyInOrder) {
    TempDir dir;
    std::string path = dir.file("tracklore.ini");
    Settings settings = DefaultSettings();
    ReadSettings(settings, path, true);
    EXPECT_EQ(settings.LastFileMask, "*.mp3");
    EXPECT_EQ(settings.ScanID3v2, 1);
    EXPECT_EQ(settings.LastSaveFilter, 1);
    EXPECT_EQ(settings.SearchKeep, 0);
    EXPECT_EQ(settings.URL, DefaultSettings().URL);
    ASSERT_TRUE(WriteSettings(settings, path, true));
    EXPECT_EQ(ReadFileBytes(path),
              "[State]\nLastDir=\nLastMP3Dir=\nLastFileMask=*.mp3\nScanID3v2=1\nScanID3v1=1\n"
              "ScanArchives=1\nLastSaveFilter=1\nLastExportFilter=1\nSearchKeep=0\n\n"
              "[FreeDB]\nURL=" +
                  settings.URL +
                  "\nEmail=\nClientName=Tracklore\n"
                  "CddbAddress=https://gnudb.gnudb.org/~cddb/cddb.cgi\n"
                  "MusicBrainzAddress=https://musicbrainz.org/ws/2/\n\n"
                  "[Formats]\nMSH=0\nLegacyCodePage=WINDOWS-1252\nSaveEncoding=0\n\n"
                  "[MP3Scan]\nPriority=0\nWriteChapters=1\n");
}

TEST(SettingsFile, NumbersAreReadAsTheirLeadingInteger) {
    TempDir dir;
    std::string path = dir.Write("t.ini",
                                 "[MP3Scan]\nPriority=1.9\n[Formats]\nMSH=2\n[State]\n"
                                 "ScanID3v2=abc\nLastSaveFilter= -1.9\nLastExportFilter=3x\n");
    Settings settings = DefaultSettings();
    ReadSettings(settings, path, true);
    EXPECT_EQ(settings.Priority, 1);
    EXPECT_EQ(settings.ScanID3v2, 0);
    EXPECT_EQ(settings.LastSaveFilter, -1);
    EXPECT_EQ(settings.LastExportFilter, 3);
    EXPECT_EQ(settings.MSH, 2);
    EXPECT_EQ(settings.timeFormat(), TimeFormat::Msf);
    // MSH 2 is written back as it is.
    ASSERT_TRUE(WriteSettings(settings, path, true));
    Settings again = DefaultSettings();
    ReadSettings(again, path, true);
    EXPECT_EQ(again.MSH, 2);
    EXPECT_NE(ReadFileBytes(path).find("[Formats]\nMSH=2\n"), std::string::npos);
}

TEST(SettingsFile, EmptyValuesKeepTheCurrentValueAndStateKeysNeedTheFlag) {
    TempDir dir;
    std::string path =
        dir.Write("t.ini", "[FreeDB]\nURL=\n[State]\nLastDir=/music\n[Formats]\nMSH=1\n");
    Settings settings = DefaultSettings();
    settings.LastDir = "/before";
    ReadSettings(settings, path, false);
    EXPECT_EQ(settings.URL, DefaultSettings().URL);
    EXPECT_EQ(settings.LastDir, "/before");  // state keys are read only at start
    EXPECT_EQ(settings.MSH, 1);
    ReadSettings(settings, path, true);
    EXPECT_EQ(settings.LastDir, "/music");
}

TEST(SettingsFile, SharedWriteLeavesStateKeysOfTheFileAlone) {
    TempDir dir;
    std::string path = dir.Write("t.ini", "[State]\nLastDir=/theirs\n# note\n");
    Settings settings = DefaultSettings();
    settings.LastDir = "/mine";
    settings.URL = "http://example.invalid/%x/%y";
    settings.Priority = -2;
    ASSERT_TRUE(WriteSettings(settings, path, false));
    std::string text = ReadFileBytes(path);
    EXPECT_NE(text.find("LastDir=/theirs\n# note\n"), std::string::npos);
    EXPECT_NE(text.find("[FreeDB]\nURL=http://example.invalid/%x/%y\n"), std::string::npos);
    EXPECT_NE(text.find("[MP3Scan]\nPriority=-2\n"), std::string::npos);
}

TEST(SettingsFile, LongValuesAreCutOnReading) {
    TempDir dir;
    std::string path = dir.Write("t.ini", "[FreeDB]\nURL=" + std::string(3000, 'u') + "\n");
    Settings settings = DefaultSettings();
    ReadSettings(settings, path, false);
    EXPECT_EQ(settings.URL.size(), MaxSettingsValueLength);
}

TEST(SettingsFile, NameFollowsTheExecutable) {
    EXPECT_EQ(SettingsFileName("tracklore"), "tracklore.ini");
    EXPECT_EQ(SettingsFileName("/opt/x/meine.kopie.bin"), "meine.kopie.ini");
    EXPECT_EQ(SettingsFileName("Editor2"), "Editor2.ini");
    TempDir dir;
    EXPECT_EQ(SettingsFilePath(dir.file("anders")), dir.file("anders.ini"));
}

TEST(SettingsFile, ProgramFolderNotWritableFallsBackToTheUserConfiguration) {
    TempDir dir;
    std::string config = dir.file("config");
    const char* before = std::getenv("XDG_CONFIG_HOME");
    std::string saved = before ? before : "";
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);

    EXPECT_EQ(SettingsFilePathFor("tracklore", dir.path().string()), dir.file("tracklore.ini"));
    // A folder that cannot be written (here: one that is gone) sends the file to the
    // user's configuration folder, which writing creates.
    EXPECT_EQ(SettingsFilePathFor("tracklore", dir.file("gone")), config + "/tracklore.ini");
    if (geteuid() != 0) {
        std::string program = dir.file("bin");
        ASSERT_EQ(mkdir(program.c_str(), 0555), 0);
        EXPECT_EQ(SettingsFilePathFor("tracklore", program), config + "/tracklore.ini");
        chmod(program.c_str(), 0755);
    }
    EXPECT_TRUE(WriteSettings(DefaultSettings(), config + "/tracklore.ini", true));
    EXPECT_FALSE(ReadFileBytes(config + "/tracklore.ini").empty());
    // A relative XDG_CONFIG_HOME is ignored, as the base directory rules say.
    setenv("XDG_CONFIG_HOME", "relative/dir", 1);
    EXPECT_NE(UserConfigFolder(), "relative/dir");

    if (before) {
        setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    } else {
        unsetenv("XDG_CONFIG_HOME");
    }
}

TEST(SettingsFile, UnwritableFileReportsFailureAndKeepsItsContent) {
    TempDir dir;
    std::string path = dir.Write("t.ini", "[Formats]\nMSH=1\n");
    if (geteuid() != 0) {
        chmod(dir.path().c_str(), 0555);
        Settings settings = DefaultSettings();
        EXPECT_FALSE(WriteSettings(settings, path, true));
        chmod(dir.path().c_str(), 0755);
        EXPECT_EQ(ReadFileBytes(path), "[Formats]\nMSH=1\n");
    }
    // A path whose folder cannot exist fails without a crash.
    EXPECT_FALSE(WriteSettings(DefaultSettings(), path + "/sub/x.ini", true));
}

}  // namespace
}  // namespace tracklore
