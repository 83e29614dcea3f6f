#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <cstdlib>
#include <filesystem>

#include "flows/DocumentFlow.h"
#include "flows/EditingCommands.h"
#include "flows/Reading.h"
#include "formats/CueSheet.h"
#include "formats/Xmcd.h"
#include "model/WindowTexts.h"
#include "support/TestSupport.h"

namespace tracklore {
namespace {

using test::Fixture;
using test::ReadFileBytes;
using test::TempDir;

const char* const SmallCue =
    "TITLE \"Album\"\r\nPERFORMER \"Band\"\r\nFILE \"a.mp3\" MP3\r\n"
    "TRACK 01 AUDIO\r\nINDEX 01 00:00:00\r\n";

TEST(OpenDocument, CueSheetByContent) {
    Fixture f;
    TempDir dir;
    std::string path = dir.Write("album.txt", SmallCue);
    ASSERT_TRUE(OpenDocument(f.session, path));
    EXPECT_EQ(f.doc.documentPath, path);
    EXPECT_EQ(f.doc.documentKind, DocumentKindCue);
    EXPECT_FALSE(f.doc.modified);
    EXPECT_EQ(f.doc.cd.audioFile, "a");
    EXPECT_EQ(f.ui.refreshCount, 1);
}

TEST(OpenDocument, XmcdInACueFileIsReadAndSavedAsXmcd) {
    Fixture f;
    TempDir dir;
    std::string path = dir.Write("disc.cue",
                                 "# xmcd\r\n# Track frame offsets:\r\n# 150\r\n#\r\n"
                                 "DTITLE=Band / Album\r\nTTITLE0=One\r\n");
    ASSERT_TRUE(OpenDocument(f.session, path));
    EXPECT_EQ(f.doc.documentKind, DocumentKindXmcd);
    EXPECT_EQ(f.doc.cd.audioFile, "disc");
    f.doc.modified = true;
    ASSERT_TRUE(SaveDocument(f.session, false));
    EXPECT_EQ(ReadFileBytes(path).substr(0, 6), "# xmcd");
    EXPECT_FALSE(f.doc.modified);
}

// The limit lies above the largest document the program writes (it was 60000 bytes while
// every text was one byte per character).
TEST(OpenDocument, SizeLimit) {
    Fixture f;
    TempDir dir;
    const std::size_t limit = MaxDocumentBytes - 1;
    std::string padding = "REM " + std::string(200, 'x') + "\r\n";
    std::string text;
    while (text.size() + padding.size() < limit) {
        text += padding;
    }
    text += std::string(limit - text.size() - 2, 'y').replace(0, 4, "REM ") + "\r\n";
    ASSERT_EQ(text.size(), limit);
    EXPECT_TRUE(OpenDocument(f.session, dir.Write("ok.cue", text)));
    f.doc.cd.title = "kept";
    std::string big = dir.Write("big.cue", text + "\n");
    EXPECT_FALSE(OpenDocument(f.session, big));
    ASSERT_EQ(f.ui.MessageIds().back(), 1026);
    EXPECT_EQ(f.ui.messages.back().text,
              "Die Datei ist zu gross: " + big + ".\r\nMaximale Dateigr\u00f6sse ist " +
                  std::to_string(MaxDocumentBytes) + " bytes. Bitte w\u00e4hle eine andere Datei.");
    EXPECT_EQ(f.doc.cd.title, "kept");  // the document is unchanged
}

TEST(OpenDocument, MissingFileAndFolder) {
    Fixture f;
    TempDir dir;
    f.doc.cd.title = "kept";
    EXPECT_FALSE(OpenDocument(f.session, dir.file("missing.cue")));
    EXPECT_FALSE(OpenDocument(f.session, dir.path().string()));
    EXPECT_EQ(f.ui.MessageIds(), (std::vector<int>{1048, 1048}));
    EXPECT_EQ(f.doc.cd.title, "kept");
    EXPECT_EQ(f.ui.refreshCount, 0);
}

TEST(OpenDocument, EmptyFileIsAnEmptyCueSheet) {
    Fixture f;
    TempDir dir;
    ASSERT_TRUE(OpenDocument(f.session, dir.Write("empty.cue", "")));
    EXPECT_EQ(f.doc.trackCount, 0);
    EXPECT_EQ(f.doc.cd.artist, "Various");
    EXPECT_EQ(f.doc.cd.audioFile, "empty");
    EXPECT_EQ(f.doc.documentKind, DocumentKindCue);
}

TEST(OpenDocument, UnreadableText) {
    Fixture f;
    TempDir dir;
    f.doc.documentPath = "/old.cue";
    EXPECT_FALSE(OpenDocument(f.session, dir.Write("notes.txt", "Hello world\n")));
    EXPECT_EQ(f.ui.MessageIds(), (std::vector<int>{1029, 1025}));
    EXPECT_TRUE(f.doc.documentPath.empty());
    EXPECT_EQ(f.doc.documentKind, DocumentKindCue);
    EXPECT_TRUE(f.doc.modified);
    EXPECT_EQ(f.ui.refreshCount, 1);
}

TEST(OpenDocument, XmcdErrorKeepsThePathAndShowsNoSecondMessage) {
    Fixture f;
    TempDir dir;
    std::string path = dir.Write("bad.xmcd", "# xmcd\nbogus\n");
    EXPECT_TRUE(OpenDocument(f.session, path));
    EXPECT_EQ(f.ui.MessageIds(), std::vector<int>{1028});
    EXPECT_EQ(f.doc.documentPath, path);
    EXPECT_EQ(f.doc.documentKind, DocumentKindXmcd);
    EXPECT_FALSE(f.doc.modified);
    EXPECT_EQ(f.doc.trackCount, 0);
}

TEST(OpenDocument, BomAndLoneCarriageReturns) {
    Fixture f;
    TempDir dir;
    ASSERT_TRUE(
        OpenDocument(f.session, dir.Write("bom.xmcd", "\xEF\xBB\xBF# xmcd\r\nDTITLE=A / B\r\n")));
    EXPECT_EQ(f.doc.documentKind, DocumentKindXmcd);
    EXPECT_EQ(DocumentTextFromBytes("a\r\nb\rc\nlast"), "a\nb\rc\nlast\n");
}

FileDialogResult Choice(const std::string& path, int filter) {
    return FileDialogResult{path, filter};
}

TEST(SaveDocument, SaveAsByFilterAddsExtensionAndNamesTheAudioFile) {
    Fixture f;
    TempDir dir;
    f.doc.cd.artist = "Red:Blue";
    f.doc.cd.title = "Live?";
    f.doc.modified = true;
    f.ui.SaveFileNext(Choice(dir.file("album"), 2));
    ASSERT_TRUE(SaveDocument(f.session, true));
    ASSERT_EQ(f.ui.saveRequests.size(), 1u);
    EXPECT_EQ(f.ui.saveRequests[0].proposedName, "Red_Blue - Live_");
    EXPECT_EQ(f.ui.saveRequests[0].title, "Sichere Datei als");
    EXPECT_EQ(f.doc.documentPath, dir.file("album.xmcd"));
    EXPECT_EQ(f.doc.documentKind, DocumentKindXmcd);
    EXPECT_EQ(f.doc.cd.audioFile, "album");
    EXPECT_FALSE(f.doc.modified);
    EXPECT_EQ(f.settings.LastSaveFilter, 2);
    EXPECT_EQ(f.settings.LastDir, dir.path().string() + "/");
    EXPECT_EQ(ReadFileBytes(dir.file("album.xmcd")).substr(0, 6), "# xmcd");

    // A typed extension is kept; the filter alone decides the format.
    f.ui.SaveFileNext(Choice(dir.file("list.txt"), 1));
    ASSERT_TRUE(SaveDocument(f.session, true));
    EXPECT_EQ(ReadFileBytes(dir.file("list.txt")).substr(0, 6), "TITLE ");
    EXPECT_EQ(f.doc.cd.audioFile, "list");
    EXPECT_NE(ReadFileBytes(dir.file("list.txt")).find("FILE \"list.mp3\" MP3"), std::string::npos);
}

TEST(SaveDocument, OverwriteQuestionLoops) {
    Fixture f;
    TempDir dir;
    std::string existing = dir.Write("album.cue", "old");
    f.ui.SaveFileNext(Choice(existing, 1));
    f.ui.AnswerNext(MsgResult::No);
    // the dialog comes again with the same name; the user cancels there
    EXPECT_FALSE(SaveDocument(f.session, false));
    ASSERT_EQ(f.ui.saveRequests.size(), 2u);
    EXPECT_EQ(f.ui.saveRequests[0].title, "Sichere Datei");  // untitled Save keeps its caption
    EXPECT_EQ(f.ui.saveRequests[1].proposedName, existing);
    ASSERT_EQ(f.ui.MessageIds(), std::vector<int>{1039});
    EXPECT_EQ(f.ui.messages[0].caption, "Sichere Datei");
    EXPECT_EQ(f.ui.messages[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(f.ui.messages[0].defaultButton, 1);
    EXPECT_EQ(ReadFileBytes(existing), "old");

    f.ui.SaveFileNext(Choice(existing, 1));
    f.ui.AnswerNext(MsgResult::Yes);
    EXPECT_TRUE(SaveDocument(f.session, true));
    EXPECT_NE(ReadFileBytes(existing), "old");
}

TEST(SaveDocument, SaveWithoutDialogUsesPathAndKind) {
    Fixture f;
    TempDir dir;
    std::string path = dir.Write("album.cue", SmallCue);
    ASSERT_TRUE(OpenDocument(f.session, path));
    f.doc.cd.title = "Changed";
    SetModified(f.session, true);
    ASSERT_TRUE(SaveDocument(f.session, false));
    EXPECT_TRUE(f.ui.saveRequests.empty());
    EXPECT_NE(ReadFileBytes(path).find("TITLE \"Changed\""), std::string::npos);
    EXPECT_FALSE(f.doc.modified);
}

TEST(SaveDocument, ProposalFromPathOrAudioFile) {
    Fixture f;
    f.doc.cd.audioFile = "a:b";
    f.ui.SaveFileNext(std::nullopt);
    EXPECT_FALSE(SaveDocument(f.session, true));
    EXPECT_EQ(f.ui.saveRequests.back().proposedName, "a_b");
    f.doc.documentPath = "/x/y.cue";
    EXPECT_FALSE(SaveDocument(f.session, true));
    EXPECT_EQ(f.ui.saveRequests.back().proposedName, "/x/y.cue");
    Fixture empty;
    EXPECT_FALSE(SaveDocument(empty.session, true));
    EXPECT_EQ(empty.ui.saveRequests.back().proposedName, "");
}

TEST(SaveDocument, UnwritableFolderReportsAndKeepsTheDocumentModified) {
    Fixture f;
    TempDir dir;
    f.doc.modified = true;
    f.ui.SaveFileNext(Choice(dir.file("no/such/folder/x.cue"), 1));
    EXPECT_FALSE(SaveDocument(f.session, true));
    EXPECT_EQ(f.ui.MessageIds(), std::vector<int>{1048});
    EXPECT_TRUE(f.doc.modified);
    EXPECT_TRUE(f.doc.documentPath.empty());
}

// A write that fails after the file was created (full disk, I/O error) must leave the old
// file intact, report the failure and keep the document modified.
TEST(SaveDocument, WriteErrorLeavesTheOldFileIntact) {
    Fixture f;
    TempDir dir;
    std::string path = dir.Write("album.cue", SmallCue);
    ASSERT_TRUE(OpenDocument(f.session, path));
    f.doc.cd.title = std::string(100, 'x');
    f.doc.trackCount = 99;
    for (int i = 0; i < 99; ++i) {
        f.doc.tracks[i].title = std::string(299, 't');
        f.doc.tracks[i].start = 150 + i * 1000;
    }
    SetModified(f.session, true);

    struct rlimit old {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    struct rlimit small = old;
    small.rlim_cur = 4096;  // writes beyond 4 KiB fail as on a full disk
    auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool saved = SaveDocument(f.session, false);
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(saved);
    EXPECT_EQ(f.ui.MessageIds(), std::vector<int>{1048});
    EXPECT_TRUE(f.doc.modified);
    EXPECT_EQ(ReadFileBytes(path), SmallCue);
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 1) << "no temporary file is left behind";
}

TEST(SaveDocument, KeepsPermissionsOfTheReplacedFile) {
    Fixture f;
    TempDir dir;
    std::string path = dir.Write("album.cue", SmallCue);
    std::filesystem::permissions(path, std::filesystem::perms::owner_read |
                                           std::filesystem::perms::owner_write |
                                           std::filesystem::perms::group_read);
    ASSERT_TRUE(OpenDocument(f.session, path));
    SetModified(f.session, true);
    ASSERT_TRUE(SaveDocument(f.session, false));
    auto perms = std::filesystem::status(path).permissions();
    EXPECT_EQ(perms & std::filesystem::perms::all, std::filesystem::perms::owner_read |
                                                       std::filesystem::perms::owner_write |
                                                       std::filesystem::perms::group_read);
}

TEST(ShowOpenDialog, RemembersTheFolder) {
    Fixture f;
    TempDir dir;
    std::string path = dir.Write("a.cue", SmallCue);
    f.settings.LastDir = "/start/";
    f.ui.OpenFileNext(FileDialogResult{path, 1});
    EXPECT_TRUE(ShowOpenDialog(f.session));
    EXPECT_EQ(f.ui.openRequests[0].startDir, "/start/");
    EXPECT_EQ(f.ui.openRequests[0].title, "\u00d6ffne Datei");
    EXPECT_EQ(f.ui.openRequests[0].filters.size(), 4u);
    EXPECT_EQ(f.settings.LastDir, dir.path().string() + "/");
    EXPECT_EQ(f.doc.documentPath, path);
    EXPECT_FALSE(ShowOpenDialog(f.session));  // cancelled: nothing happens
    EXPECT_EQ(f.doc.documentPath, path);
}

}  // namespace
}  // namespace tracklore

namespace tracklore {
namespace {

TEST(OpenDocument, PathsInMessagesAreShownAsText) {
    test::Fixture f;
    EXPECT_FALSE(OpenDocument(f.session, "/nowhere/Bj\xc3\xb6rk.cue"));
    ASSERT_EQ(f.ui.MessageIds(), std::vector<int>{1048});
    EXPECT_NE(f.ui.messages[0].text.find("/nowhere/Bj\u00f6rk.cue."), std::string::npos);
}

// Hostile totals and offsets are held within bounds where they are read, so that writing,
// showing and editing such a document forms no time beyond 32 bits (the sanitizer build
// stops at any signed overflow) and writes no negative or wrapped time.
TEST(OpenDocument, HostileTotalsAndOffsetsStayInRange) {
    const std::string texts[] = {
        "REM LENGTH: 99999999 seconds\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n"
        "TRACK 02 AUDIO\nINDEX 01 99:59:74\n",
        "REM TOTAL LENGTH 99:99:99\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n"
        "TRACK 02 AUDIO\nINDEX 01 83331:00:00\n",
        "# xmcd\n# Track frame offsets:\n# 2147483647\n# -2147483648\n# 150\n#\n"
        "# Disc length: -2147483648 seconds\nDTITLE=a / b\nTTITLE0=x\n",
        "# xmcd\n# Track frame offsets:\n# -2147483648\n# 2147483647\n#\n"
        "# Disc length: 2147483647 seconds\nDTITLE=a / b\n",
    };
    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        Fixture f;
        ASSERT_NE(ReadDocumentText(f.session, text, ""), 0);
        ASSERT_TRUE(f.ui.messages.empty());
        EXPECT_LE(std::abs(std::int64_t{f.doc.cd.totalSeconds}), MaxTotalSeconds);
        for (int i = 0; i < f.doc.trackCount; ++i) {
            EXPECT_LE(std::abs(std::int64_t{f.doc.tracks[i].start}), MaxReadPosition);
        }
        if (FirstTrackBeforeCueOrigin(f.doc) == 0) {
            TrackList copy = f.doc;
            const std::string sheet = WriteCueSheet(copy, TimeFormat::Msf);
            EXPECT_EQ(sheet.find(":-"), std::string::npos) << sheet;
            EXPECT_EQ(sheet.find(": -"), std::string::npos) << sheet;
        }
        WriteXmcd(f.doc);
        StatusBarTexts(f.doc, TimeFormat::Msf, German());
        // Every editing command on every track.
        for (int i = 0; i < f.doc.trackCount; ++i) {
            TrackRowTexts(f.doc, i, TimeFormat::Msh, German());
            f.ui.SetSelection(i);
            MoveTrackDown(f.session);
            f.ui.SetSelection(i);
            MoveTrackUp(f.session);
            f.ui.SetSelection(i);
            TrackProperties shown = LoadTrackProperties(f.doc, i, TimeFormat::Msf);
            ConfirmTrackProperties(f.session, i, shown, {"99:59:74", "t", "p"}, {});
        }
        f.ui.SetSelection(0);
        f.ui.SetClipboard("a\tb\t99:59:74\r\nc\td\t\r\n");
        PasteTracks(f.session);
        InsertNewTrack(f.session);
        f.ui.SetSelection(-1);
        InsertNewTrack(f.session);
        f.ui.SetSelection(0);
        DeleteTrack(f.session);
    }
    // An INDEX time beyond the longest album is a syntax error, as one beyond 32 bits was.
    Fixture f;
    EXPECT_EQ(ReadDocumentText(f.session, "TRACK 01 AUDIO\nINDEX 01 83334:00:00\n", ""), 0);
    EXPECT_EQ(f.ui.MessageIds(), std::vector<int>{1028});
}

}  // namespace
}  // namespace tracklore
