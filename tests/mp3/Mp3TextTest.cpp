// One album in the forms its texts come in goes into MP3 files and back: the cue tag written
// into an MP3 and found again by the MP3 scan, ID3v1 records in the legacy code page split
// from a joined file, and a folder of files tagged with ID3v2 frames and ID3v1 records. A tag
// reader of its own (mutagen) reads the text frames the same way, when it is installed.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "flows/CueTagFlow.h"
#include "flows/FolderScanFlow.h"
#include "flows/Mp3ScanFlow.h"
#include "formats/CueSheet.h"
#include "model/Encoding.h"
#include "mp3/Id3.h"
#include "support/Id3Tags.h"
#include "support/Mp3Album.h"
#include "support/RunCommand.h"
#include "support/TestSupport.h"

namespace tracklore {
namespace {

using namespace test::mp3;
using test::Fixture;
using test::ReadFileBytes;
using test::TempDir;

const TextEncoding Cp1252{};
const TextEncoding Utf8{TextEncoding::Kind::Utf8, {}};
const TextEncoding Utf8Bom{TextEncoding::Kind::Utf8Bom, {}};
const TextEncoding Cp1251{TextEncoding::Kind::Legacy, "WINDOWS-1251"};

struct Form {
    const char* name;
    TextEncoding read;     // the encoding the document was read in
    const char* codePage;  // the legacy code page setting
    const char* artist;    // UTF-8
    const char* title;
    std::vector<const char*> tracks;
    TextEncoding sheet;     // the encoding of the cue sheet in the tag
    char frameEncoding;     // the encoding byte of the title and artist frames
    const char* id3v1Page;  // the code page of ID3v1 records of the album
};

const std::vector<Form>& Forms() {
    static const std::vector<Form> forms = {
        {"German, Windows-1252",
         Cp1252,
         "WINDOWS-1252",
         "Die \u00c4rzte",
         "Gr\u00fc\u00dfe",
         {"Schrei nach Liebe", "Zu sp\u00e4t \u2013 live"},
         Cp1252,
         0,
         "WINDOWS-1252"},
        // The dash is in Windows-1252 but not in ISO-8859-1: the title frame is UTF-16.
        {"German, UTF-8",
         Utf8,
         "WINDOWS-1252",
         "Die \u00c4rzte",
         "Gr\u00fc\u00dfe \u2013 live",
         {"Schrei nach Liebe", "Zu sp\u00e4t"},
         Utf8,
         1,
         "WINDOWS-1252"},
        {"Russian, windows-1251",
         Cp1251,
         "WINDOWS-1251",
         "\u041a\u0438\u043d\u043e",
         "\u0413\u0440\u0443\u043f\u043f\u0430 \u043a\u0440\u043e\u0432\u0438",
         {"\u041a\u0443\u0447\u0430", "\u0417\u0432\u0435\u0437\u0434\u0430"},
         Cp1251,
         1,
         "WINDOWS-1251"},
        // A new document that Windows-1252 cannot hold: its sheet is UTF-8 with its mark.
        {"Japanese, UTF-8",
         Cp1252,
         "WINDOWS-1252",
         "\u3042\u3044\u307f\u3087\u3093",
         "\u30de\u30ea\u30fc\u30b4\u30fc\u30eb\u30c9",
         {"\u6625\u65e5", "\u590f"},
         Utf8Bom,
         1,
         "SHIFT_JIS"},
    };
    return forms;
}

void FillAlbum(TrackList& doc, const Form& form) {
    doc.encoding = form.read;
    doc.cd.artist = form.artist;
    doc.cd.title = form.title;
    doc.cd.year = "1999";
    doc.cd.genre = "Rock";
    doc.cd.totalSeconds = 300;
    doc.trackCount = static_cast<int>(form.tracks.size());
    for (int i = 0; i < doc.trackCount; ++i) {
        doc.tracks[i].title = form.tracks[i];
        doc.tracks[i].performer = form.artist;
        doc.tracks[i].start = 150 + i * 6000;
    }
}

void ExpectAlbum(const TrackList& doc, const Form& form) {
    EXPECT_EQ(doc.cd.artist, form.artist);
    EXPECT_EQ(doc.cd.title, form.title);
    ASSERT_EQ(doc.trackCount, static_cast<int>(form.tracks.size()));
    for (int i = 0; i < doc.trackCount; ++i) {
        EXPECT_EQ(doc.tracks[i].title, form.tracks[i]);
        EXPECT_EQ(doc.tracks[i].performer, form.artist);
    }
}

// The data of the first frame `id` of the ID3v2.3 tag at the start of the file.
std::string FrameData(const std::string& file, const std::string& id) {
    const std::uint64_t end = Id3TagLength(file);
    std::size_t offset = 10;
    while (offset + 10 <= end && file[offset] != '\0') {
        const std::size_t size = static_cast<unsigned char>(file[offset + 4]) << 24 |
                                 static_cast<unsigned char>(file[offset + 5]) << 16 |
                                 static_cast<unsigned char>(file[offset + 6]) << 8 |
                                 static_cast<unsigned char>(file[offset + 7]);
        if (file.compare(offset, 4, id) == 0) {
            return file.substr(offset + 10, size);
        }
        offset += 10 + size;
    }
    return {};
}

// The bytes between the cue sheet markers.
std::string CueBytes(const std::string& file) {
    const std::size_t begin = file.find("CUESHEET\r\n");
    const std::size_t end = file.find("ENDCUESHEET");
    if (begin == std::string::npos || end == std::string::npos || end < begin + 10) {
        return {};
    }
    return file.substr(begin + 10, end - begin - 10);
}

// A Python interpreter that has mutagen (the one on the path, else the system's), or an empty
// text.
std::string PythonWithMutagen() {
    for (const char* python : {"python3", "/usr/bin/python3"}) {
        const bool present =
            python[0] == '/' ? std::filesystem::exists(python) : test::HaveProgram(python);
        if (present && test::RunCommand({python, "-c", "import mutagen"}).status == 0) {
            return python;
        }
    }
    return {};
}

TEST(Mp3Text, CueTagWrittenAndScannedBackInEveryForm) {
    const std::string python = PythonWithMutagen();
    for (const Form& form : Forms()) {
        SCOPED_TRACE(form.name);
        TempDir dir;
        // The file is named in the album's script too.
        const std::string path = dir.Write(std::string(form.title) + ".mp3",
                                           CbrStream(60000) + Id3v1("Song", "Band", "", ""));
        Fixture f;
        f.settings.LegacyCodePage = form.codePage;
        FillAlbum(f.doc, form);
        f.ui.OpenFileNext(FileDialogResult{path, 1});
        ASSERT_TRUE(WriteCueToMp3(f.session));
        EXPECT_EQ(f.doc.cd.audioFile, form.title);

        const std::string file = ReadFileBytes(path);
        const std::string titleFrame = FrameData(file, "TIT2");
        ASSERT_FALSE(titleFrame.empty());
        EXPECT_EQ(titleFrame[0], form.frameEncoding);
        EXPECT_EQ(Id3v2FrameText(titleFrame), form.title);
        EXPECT_EQ(Id3v2FrameText(FrameData(file, "TPE1")), form.artist);
        // The sheet in the tag is the file Save would write.
        TrackList copy = f.doc;
        const EncodedText sheet = EncodeText(CueSheetText(copy, TimeFormat::Msf), form.sheet);
        ASSERT_TRUE(sheet.ok());
        EXPECT_EQ(CueBytes(file), sheet.bytes);

        Fixture back;
        back.settings.LegacyCodePage = form.codePage;
        back.ui.AnswerNext(MsgResult::Yes);
        Mp3ScanJob job;
        job.path = path;
        RunMp3ScanWorker(back.session, job, back.ui);
        ASSERT_TRUE(job.trackListBuilt);
        ExpectAlbum(back.doc, form);
        EXPECT_EQ(back.doc.cd.audioFile, form.title);

        if (!python.empty()) {
            auto read = test::RunCommand(
                {python, "-c",
                 "import sys\nfrom mutagen.id3 import ID3\n"
                 "sys.stdout.reconfigure(encoding='utf-8')\n"
                 "t = ID3(sys.argv[1])\nprint(t['TIT2'].text[0], t['TPE1'].text[0], sep='|')\n",
                 path});
            ASSERT_EQ(read.status, 0) << read.err;
            EXPECT_EQ(read.out, std::string(form.title) + "|" + form.artist + "\n");
        }
    }
    if (python.empty()) {
        GTEST_SKIP() << "mutagen is not installed: the tag reader's check was left out";
    }
}

// Tracks joined into one file, each closed by an ID3v1 record in the album's code page.
TEST(Mp3Text, Id3v1RecordsOfAJoinedFileInTheLegacyCodePage) {
    for (const Form& form : Forms()) {
        SCOPED_TRACE(form.name);
        const TextEncoding codePage = LegacyEncoding(form.id3v1Page);
        auto bytes = [&](const char* text) { return EncodeText(text, codePage).bytes; };
        std::string joined;
        for (const char* title : form.tracks) {
            joined += TaggedTrack(3.0, bytes(title), bytes(form.artist), bytes(form.title), "1999");
        }
        test::ScanRun run;
        run.f.settings.LegacyCodePage = form.id3v1Page;
        run.job.findCueTag = false;
        run.Run(joined);
        ASSERT_TRUE(run.job.trackListBuilt);
        ExpectAlbum(run.f.doc, form);
        EXPECT_EQ(run.f.doc.cd.audioFile, "Album");
        ASSERT_EQ(run.f.ui.fragmentDialogs.size(), 1u);
        EXPECT_EQ(run.f.ui.fragmentDialogs[0][1].title, form.tracks[1]);
        EXPECT_EQ(run.f.ui.fragmentDialogs[0][1].artist, form.artist);
    }
}

// A folder of files tagged in three ways: ID3v2.3 frames in UTF-16 (taken before the file's
// ID3v1 record), ID3v2.4 frames in UTF-8, and only an ID3v1 record in windows-1251.
TEST(Mp3Text, FolderScanReadsId3v2FramesAndId3v1RecordsInTheLegacyCodePage) {
    TempDir dir;
    const std::string audio = CbrStream(3 * 16000);
    dir.Write("01.mp3", Id3Tag(Id3Frame("TIT2", Id3TextData("\u6625\u65e5", 1)) +
                                   Id3Frame("TPE1", Id3TextData("\u3042\u3044", 1)) +
                                   Id3Frame("TALB", Id3TextData("\u30de\u30ea\u30fc", 1)) +
                                   Id3Frame("TYER", Id3TextData("2001", 0)) +
                                   Id3Frame("TCON", Id3TextData("(17)", 0)),
                               64) +
                            audio + Id3v1("v1 title", "v1 artist", "v1 album", "1980"));
    dir.Write("02.mp3", Id3Tag(Id3Frame24("TIT2", Id3TextData("Gr\u00fc\u00dfe \u2013", 3)) +
                                   Id3Frame24("TPE1", Id3TextData("\u041a\u0438\u043d\u043e", 3)),
                               0, 0, 4) +
                            audio);
    dir.Write("03.mp3", audio + Id3v1("\xCA\xF3\xEA\xF3\xF8\xEA\xE0", "\xCA\xE8\xED\xEE", "", ""));
    Fixture f;
    f.settings.LegacyCodePage = "windows-1251";
    ASSERT_TRUE(ScanFolder(f.session, dir.path().string() + "/", "*.mp3"));
    const TrackList& doc = f.doc;
    ASSERT_EQ(doc.trackCount, 3);
    const std::pair<const char*, const char*> tracks[] = {
        {"\u6625\u65e5", "\u3042\u3044"},
        {"Gr\u00fc\u00dfe \u2013", "\u041a\u0438\u043d\u043e"},
        {"\u041a\u0443\u043a\u0443\u0448\u043a\u0430", "\u041a\u0438\u043d\u043e"},
    };
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(doc.tracks[i].title, tracks[i].first) << i;
        EXPECT_EQ(doc.tracks[i].performer, tracks[i].second) << i;
    }
    EXPECT_EQ(doc.cd.title, "\u30de\u30ea\u30fc");
    EXPECT_EQ(doc.cd.year, "2001");
    EXPECT_EQ(doc.cd.genre, "Rock");
}

// A forced Windows-1252 save encoding refuses a sheet it cannot hold before the file is
// touched, as Save does.
TEST(Mp3Text, ForcedWindows1252RefusesTheTagBeforeWriting) {
    TempDir dir;
    const std::string audio = CbrStream(60000);
    const std::string path = dir.Write("album.mp3", audio);
    Fixture f;
    f.settings.SaveEncoding = SaveEncodingWindows1252;
    FillAlbum(f.doc, Forms()[3]);
    f.ui.OpenFileNext(FileDialogResult{path, 1});
    EXPECT_FALSE(WriteCueToMp3(f.session));
    ASSERT_EQ(f.ui.MessageIds(), std::vector<int>{6101});
    EXPECT_NE(f.ui.messages[0].text.find("Windows-1252"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(path), audio);
}

}  // namespace
}  // namespace tracklore
