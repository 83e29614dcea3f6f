#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include "GuiSupport.h"
#include "app/Commands.h"
#include "app/DocumentCommands.h"
#include "model/SafeFile.h"
#include "settings/SettingsFile.h"
#include "support/RunCommand.h"

namespace tracklore::app::test {
namespace {

using tracklore::test::ReadFileBytes;

TEST(Startup, FirstStartWritesEveryKeyAtExit) {
    Editor editor;
    ASSERT_TRUE(editor.Start());
    EXPECT_EQ(editor.app().GetSettings().LastFileMask, "*.mp3");
    EXPECT_EQ(editor.app().GetSettings().URL, DefaultSettings().URL);
    EXPECT_FALSE(FileExists(editor.settingsPath()));
    editor.window().close();
    const std::string keys =
        "[State]\nLastDir=\nLastMP3Dir=\nLastFileMask=*.mp3\nScanID3v2=1\nScanID3v1=1\n"
        "ScanArchives=1\nLastSaveFilter=1\nLastExportFilter=1\nSearchKeep=0\n\n"
        "[FreeDB]\nURL=" +
        DefaultSettings().URL +
        "\nEmail=\nClientName=Tracklore\n"
        "CddbAddress=https://gnudb.gnudb.org/~cddb/cddb.cgi\n"
        "MusicBrainzAddress=https://musicbrainz.org/ws/2/"
        "\n\n[Formats]\nMSH=0\nLegacyCodePage=WINDOWS-1252\nSaveEncoding=0\n\n"
        "[MP3Scan]\nPriority=0\nWriteChapters=1\n";
    // Then the window's place, as the toolkit writes it.
    const std::string text = ReadFileBytes(editor.settingsPath());
    EXPECT_EQ(text.substr(0, keys.size()), keys);
    EXPECT_EQ(text.substr(keys.size(), 20), "\n[Window]\nGeometry=A");
}

TEST(Startup, ValuesReadAsNumbersAndMshTwoWrittenBack) {
    Editor editor(
        "; eigene Notiz\n[MP3Scan]\nPriority=1.9\n[formats]\nmsh=2\n[State]\nLastDir=/musik\n"
        "ScanID3v1=nein\n[FreeDB]\nURL=\n");
    ASSERT_TRUE(editor.Start(editor.WriteCue("a.cue", 2, 400)));
    const Settings& settings = editor.app().GetSettings();
    EXPECT_EQ(settings.Priority, 1);
    EXPECT_EQ(settings.MSH, 2);
    EXPECT_EQ(settings.ScanID3v1, 0);
    EXPECT_EQ(settings.LastDir, "/musik");
    EXPECT_EQ(settings.URL, DefaultSettings().URL);  // an empty value keeps the default
    EXPECT_EQ(editor.Cell(0, 3), "3:20:00");         // MSH 2 is M:S:F
    editor.window().close();
    std::string text = ReadFileBytes(editor.settingsPath());
    EXPECT_EQ(
        text.rfind("; eigene Notiz\n[MP3Scan]\nPriority=1\nWriteChapters=1\n[formats]\nmsh=2\n", 0),
        0u)
        << text;
    EXPECT_NE(text.find("ScanID3v1=0\n"), std::string::npos);
}

TEST(Startup, HundredthsSettingShowsHundredths) {
    Editor editor("[Formats]\nMSH=1\n");
    std::string path =
        editor.dir().Write("h.cue",
                           "FILE \"a.mp3\" MP3\nREM Length: 100 seconds\n  TRACK 01 AUDIO\n"
                           "    INDEX 01 00:00:00\n  TRACK 02 AUDIO\n    INDEX 01 01:02:40\n");
    ASSERT_TRUE(editor.Start(path));
    EXPECT_EQ(editor.doc().tracks[1].start, 150 + 4680);  // 62.4 s
    EXPECT_EQ(editor.Cell(0, 3), "1:02:40");              // 4680 frames in hundredths
}

TEST(Startup, SharedKeysFollowAnotherCopysWrite) {
    Editor editor;
    ASSERT_TRUE(editor.Start());
    // Another copy confirms its settings dialog: it writes the shared keys.
    Settings other = DefaultSettings();
    other.URL = "http://example.invalid/cddb/%x/%y";
    other.MSH = 1;
    other.Priority = -2;
    other.LastDir = "/anderswo";
    ASSERT_TRUE(WriteSettings(other, editor.settingsPath(), false));
    const Settings& mine = editor.app().GetSettings();
    EXPECT_TRUE(QTest::qWaitFor([&] { return mine.URL == other.URL; }, 5000));
    EXPECT_EQ(mine.MSH, 1);
    EXPECT_EQ(mine.Priority, -2);
    EXPECT_EQ(mine.LastDir, "");  // state keys are not shared
    // A second write replaces the file again: the watch must still see it.
    other.Priority = 2;
    ASSERT_TRUE(WriteSettings(other, editor.settingsPath(), false));
    EXPECT_TRUE(QTest::qWaitFor([&] { return mine.Priority == 2; }, 5000));
    // This copy's own write is read back as the same values.
    editor.app().GetSettings().Priority = 1;
    ASSERT_TRUE(editor.app().Store().Write(false));
    EXPECT_TRUE(QTest::qWaitFor([&] { return editor.app().Store().SharedReads() >= 3; }, 5000));
    EXPECT_EQ(mine.Priority, 1);
}

TEST(Startup, CommandLineTailIsOneDocument) {
    const char* unquoted[] = {"tracklore", "Mein", "Album.cue"};
    EXPECT_EQ(CommandLineDocument(3, unquoted), "Mein Album.cue");
    const char* quoted[] = {"tracklore", "\"/tmp/Mein \"\"Best\"\" of.cue\""};
    EXPECT_EQ(CommandLineDocument(2, quoted), "/tmp/Mein \"Best\" of.cue");
    const char* none[] = {"tracklore"};
    EXPECT_EQ(CommandLineDocument(1, none), "");
}

TEST(Startup, DocumentThatCannotBeOpenedEndsTheProgram) {
    Editor editor;
    ModalScript script;
    script.Answer(QMessageBox::Ok);
    EXPECT_FALSE(editor.Start(editor.dir().file("fehlt.cue")));
    ASSERT_EQ(script.seen.size(), 1u);
    EXPECT_TRUE(script.seen[0].text.startsWith("Datei kann nicht ge\u00f6ffnet werden: "));
    EXPECT_TRUE(editor.app().Closed());
    EXPECT_EQ(editor.app().Run(), 0);                // no event loop after a closing start
    EXPECT_TRUE(FileExists(editor.settingsPath()));  // settings written on the way out
}

TEST(Startup, PathWithBlanksOpensWhole) {
    Editor editor;
    std::string path = editor.WriteCue("mit Leer zeichen.cue", 1, 300);
    const char* argv[] = {"tracklore", nullptr};
    std::string tail = editor.dir().path().string() + "/mit Leer zeichen.cue";
    std::string first = tail.substr(0, tail.find(' '));
    std::string rest = tail.substr(tail.find(' ') + 1);
    std::string middle = rest.substr(0, rest.find(' '));
    std::string last = rest.substr(rest.find(' ') + 1);
    const char* split[] = {argv[0], first.c_str(), middle.c_str(), last.c_str()};
    ASSERT_TRUE(editor.Start(CommandLineDocument(4, split)));
    EXPECT_EQ(editor.doc().documentPath, path);
    EXPECT_EQ(editor.Title(), "mit Leer zeichen.cue - Tracklore");
}

TEST(Startup, ReadmeIsFoundBesideTheProgramOrInItsDataFolder) {
    tracklore::test::TempDir dir;
    dir.Write("usr/share/tracklore/liesmich.txt", "x");
    EXPECT_EQ(ReadmePathFor(dir.file("usr/bin/tracklore")),
              dir.file("usr/share/tracklore/liesmich.txt"));
    dir.Write("usr/bin/liesmich.txt", "y");
    EXPECT_EQ(ReadmePathFor(dir.file("usr/bin/tracklore")), dir.file("usr/bin/liesmich.txt"));
}

// English, chosen by the settings file or the locale: the window, its messages, the read-me
// and the command line's help speak it.
TEST(Startup, EnglishByTheSettingOrTheLocale) {
    EXPECT_EQ(EditorLanguage(Editor("[Interface]\nLanguage=en\n").settingsPath()),
              Language::English);  // over the tests' German locale
    EXPECT_EQ(EditorLanguage(Editor().settingsPath()), Language::German);

    SetUiStrings(StringTable::English());
    struct BackToGerman {
        ~BackToGerman() { SetUiStrings(StringTable::German()); }
    } backToGerman;
    tracklore::test::TempDir installed;
    installed.Write("usr/share/tracklore/liesmich.txt", "x");
    installed.Write("usr/share/tracklore/readme.txt", "y");
    EXPECT_EQ(ReadmePathFor(installed.file("usr/bin/tracklore")),
              installed.file("usr/share/tracklore/readme.txt"));

    Editor editor;
    ASSERT_TRUE(editor.Start(editor.WriteCue("a.cue", 3, 500)));
    QStringList menus;
    for (QAction* menu : editor.window().menuBar()->actions()) {
        menus << menu->text();
    }
    EXPECT_EQ(menus, (QStringList{"&File", "&Edit", "&Help"}));
    QStringList file;
    for (QAction* action : editor.window().menuBar()->actions()[0]->menu()->actions()) {
        file << (action->isSeparator() ? QStringLiteral("-") : action->text());
    }
    EXPECT_EQ(file, (QStringList{"&New\tCtrl+N", "&Open...\tCtrl+O", "Open &Recent", "-",
                                 "&Save\tCtrl+S", "Save &As...", "-", "&Import", "&Export", "-",
                                 "Se&ttings...", "-", "E&xit\tAlt+F4"}));
    PressKey(editor.window().AlbumTitleEdit(), Qt::Key_X);
    ModalScript script;
    script.Answer(QMessageBox::Cancel);
    editor.window().CommandAction(cmd::New)->trigger();
    ASSERT_EQ(script.seen.size(), 1u);
    EXPECT_EQ(script.seen[0].title, "Confirm");
    EXPECT_EQ(script.seen[0].text,
              "The current file has unsaved changes. Do you want to save them first?");

    auto help = [](const char* lang) {
        return tracklore::test::RunCommand(
            {TRACKLORE_CLI, "--help"}, "",
            {{"LANGUAGE", ""}, {"LC_ALL", ""}, {"LC_MESSAGES", ""}, {"LANG", lang}});
    };
    const auto english = help("en_US.UTF-8");
    EXPECT_EQ(english.status, 0);
    EXPECT_EQ(english.out.rfind("Usage: tracklore-cli COMMAND [OPTIONS]\n\nCommands:\n", 0), 0u)
        << english.out;
    EXPECT_NE(english.out.find("  show [--json] [--msh] FILE\n"), std::string::npos);
    EXPECT_EQ(help("de_DE.UTF-8").out.rfind("Aufruf: tracklore-cli BEFEHL", 0), 0u);
}

}  // namespace
}  // namespace tracklore::app::test
