// One album in each of the forms a cue sheet comes in goes through open, an edit, Save As
// cue sheet and XMCD and the four exports, and comes back with its text intact; real readers
// (cueprint, xmllint, Python's csv and XML parsers) read the files the same way.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "export/Export.h"
#include "flows/DocumentFlow.h"
#include "flows/ExportFlow.h"
#include "model/Encoding.h"
#include "model/WindowTexts.h"
#include "support/RunCommand.h"
#include "support/TestSupport.h"

namespace tracklore {
namespace {

using test::Fixture;
using test::ReadFileBytes;
using test::TempDir;

struct Form {
    const char* name;
    TextEncoding file;     // the encoding the sheet is written in
    const char* codePage;  // the legacy code page setting
    const char* artist;    // UTF-8
    const char* title;
    std::vector<const char*> tracks;
    TextEncoding saved;  // the encoding Save As keeps
    const char* python;  // Python's name of the saved encoding
};

const TextEncoding Cp1252{};
const TextEncoding Utf8{TextEncoding::Kind::Utf8, {}};
const TextEncoding Utf8Bom{TextEncoding::Kind::Utf8Bom, {}};
const TextEncoding Utf16Le{TextEncoding::Kind::Utf16Le, {}};
const TextEncoding Cp1251{TextEncoding::Kind::Legacy, "WINDOWS-1251"};

const std::vector<Form>& Forms() {
    static const std::vector<Form> forms = {
        {"German, Windows-1252",
         Cp1252,
         "WINDOWS-1252",
         "Die \u00c4rzte",
         "Gr\u00fc\u00dfe",
         {"Schrei nach Liebe", "Zu sp\u00e4t \u2013 live"},
         Cp1252,
         "cp1252"},
        {"German, UTF-8",
         Utf8,
         "WINDOWS-1252",
         "Die \u00c4rzte",
         "Gr\u00fc\u00dfe",
         {"Schrei nach Liebe", "Zu sp\u00e4t \u2013 live"},
         Utf8,
         "utf-8-sig"},
        {"German, UTF-8 with its mark",
         Utf8Bom,
         "WINDOWS-1252",
         "Die \u00c4rzte",
         "Gr\u00fc\u00dfe",
         {"Schrei nach Liebe", "Zu sp\u00e4t"},
         Utf8Bom,
         "utf-8-sig"},
        {"German, UTF-16 LE",
         Utf16Le,
         "WINDOWS-1252",
         "Die \u00c4rzte",
         "Gr\u00fc\u00dfe",
         {"Schrei nach Liebe", "Zu sp\u00e4t"},
         Utf8Bom,
         "utf-8-sig"},
        {"Russian, windows-1251",
         Cp1251,
         "WINDOWS-1251",
         "\u041a\u0438\u043d\u043e",
         "\u0413\u0440\u0443\u043f\u043f\u0430 \u043a\u0440\u043e\u0432\u0438",
         {"\u041a\u0443\u0447\u0430", "\u0417\u0432\u0435\u0437\u0434\u0430"},
         Cp1251,
         "cp1251"},
        {"Japanese, UTF-8",
         Utf8,
         "WINDOWS-1252",
         "\u3042\u3044\u307f\u3087\u3093",
         "\u30de\u30ea\u30fc\u30b4\u30fc\u30eb\u30c9",
         {"\u6625\u65e5", "\u590f"},
         Utf8,
         "utf-8-sig"},
    };
    return forms;
}

std::string SheetText(const Form& form) {
    std::string text = std::string("PERFORMER \"") + form.artist + "\"\r\nTITLE \"" + form.title +
                       "\"\r\nREM Length: 400 seconds\r\nFILE \"album.mp3\" MP3\r\n";
    for (std::size_t i = 0; i < form.tracks.size(); ++i) {
        text += "  TRACK 0" + std::to_string(i + 1) + " AUDIO\r\n    TITLE \"" + form.tracks[i] +
                "\"\r\n    INDEX 01 0" + std::to_string(i) + ":00:00\r\n";
    }
    return text;
}

void ExpectAlbum(const TrackList& doc, const Form& form, const std::string& firstTitle) {
    EXPECT_EQ(doc.cd.artist, form.artist);
    EXPECT_EQ(doc.cd.title, form.title);
    ASSERT_EQ(doc.trackCount, static_cast<int>(form.tracks.size()));
    EXPECT_EQ(doc.tracks[0].title, firstTitle);
    EXPECT_EQ(doc.tracks[1].title, form.tracks[1]);
    EXPECT_EQ(doc.tracks[1].performer, form.artist);
}

// Saves the fixture's document as `path` with the save dialog's filter (1 CUE, 2 XMCD).
bool SaveAs(Fixture& f, const std::string& path, int filter) {
    f.ui.SaveFileNext(FileDialogResult{path, filter});
    f.ui.AnswerNext(MsgResult::Yes);
    return SaveDocument(f.session, true);
}

// Python reads `path` in `encoding` (UTF-8 when the file starts with its mark) and prints
// what `script` makes of it (UTF-8).
std::string Python(const std::string& script, const std::string& path, const char* encoding) {
    auto result = test::RunCommand({"python3", "-c",
                                    "import sys, csv, xml.etree.ElementTree as E\n"
                                    "sys.stdout.reconfigure(encoding='utf-8')\n"
                                    "path, enc = sys.argv[1], sys.argv[2]\n"
                                    "if open(path, 'rb').read(3) == b'\\xef\\xbb\\xbf':\n"
                                    "    enc = 'utf-8-sig'\n" +
                                        script,
                                    path, encoding});
    EXPECT_EQ(result.status, 0) << result.err;
    return result.out;
}

TEST(TextInEveryLanguage, OpenEditSaveAndExportKeepTheText) {
    const bool tools = test::HaveProgram("python3") && test::HaveProgram("xmllint") &&
                       test::HaveProgram("cueprint");
    for (const Form& form : Forms()) {
        SCOPED_TRACE(form.name);
        TempDir dir;
        const EncodedText file = EncodeText(SheetText(form), form.file);
        ASSERT_TRUE(file.ok());
        // The file is named in the album's script too.
        const std::string original = dir.Write(std::string(form.title) + ".cue", file.bytes);

        Fixture f;
        f.settings.LegacyCodePage = form.codePage;
        ASSERT_TRUE(OpenDocument(f.session, original));
        EXPECT_TRUE(f.ui.messages.empty());
        EXPECT_EQ(f.doc.encoding, form.file);
        ExpectAlbum(f.doc, form, form.tracks[0]);
        EXPECT_EQ(WindowTitle(f.doc, German()), std::string(form.title) + ".cue - Tracklore");
        EXPECT_EQ(f.doc.cd.audioFile, "album");

        // An edit in a script of the album's own.
        const std::string edited = std::string(form.tracks[0]) + " " + form.tracks[1];
        f.doc.tracks[0].title = edited;
        f.doc.modified = true;

        const std::string cue = dir.file("saved.cue");
        ASSERT_TRUE(SaveAs(f, cue, 1));
        const std::string cueBytes = ReadFileBytes(cue);
        EXPECT_EQ(f.doc.encoding, form.saved);
        EXPECT_EQ(DecodeText(cueBytes, form.codePage).encoding, form.saved);
        const std::string xmcd = dir.file("saved.xmcd");
        ASSERT_TRUE(SaveAs(f, xmcd, 2));
        for (const std::string& saved : {cue, xmcd}) {
            Fixture again;
            again.settings.LegacyCodePage = form.codePage;
            ASSERT_TRUE(OpenDocument(again.session, saved)) << saved;
            ExpectAlbum(again.doc, form, edited);
        }
        if (form.file == Cp1252) {
            // A Windows-1252 sheet is written as the program always wrote it.
            TrackList copy = f.doc;
            EXPECT_EQ(cueBytes.substr(0, 20),
                      EncodeText(CueSheetText(copy, TimeFormat::Msf), Cp1252).bytes.substr(0, 20));
        }

        for (const ExportFormat& format : ExportFormats) {
            f.ui.SaveFileNext(FileDialogResult{dir.file("export"), format.filterIndex});
            ASSERT_TRUE(ExportDocument(f.session)) << format.name;
        }
        if (!tools) {
            continue;
        }
        // cueprint hands the bytes of the sheet through: decoded they are the album's texts.
        auto printed = test::RunCommand({"cueprint", "-d", "%T|%P\n", cue});
        ASSERT_EQ(printed.status, 0) << printed.err;
        EXPECT_EQ(DecodeAs(printed.out, form.saved),
                  std::string(form.title) + "|" + form.artist + "\n");
        EXPECT_EQ(test::RunCommand({"xmllint", "--noout", dir.file("export.xml")}).status, 0);
        EXPECT_EQ(Python("r = E.parse(path).getroot()\n"
                         "print(r.find('Album').text, r.find('tracks')[0].find('Titel').text,"
                         " sep='|')\n",
                         dir.file("export.xml"), ""),
                  std::string(form.title) + "|" + edited + "\n");
        EXPECT_EQ(Python("with open(path, newline='', encoding=enc) as f:\n"
                         "    rows = list(csv.reader(f))\n"
                         "print(rows[1][1], rows[1][2], sep='|')\n",
                         dir.file("export.csv"), form.python),
                  std::string(form.artist) + "|" + edited + "\n");
        EXPECT_EQ(Python("print(open(path, encoding=enc).read().split('\\t')[1])\n",
                         dir.file("export.txt"), form.python),
                  edited + "\n");
        const std::string html = ReadFileBytes(dir.file("export.html"));
        EXPECT_TRUE(html.find("<meta charset=\"utf-8\">") != std::string::npos ||
                    FitsLatin1(DecodeAs(html, LegacyEncoding("ISO-8859-1"))));
    }
}

// A forced Windows-1252 refuses a character it has no byte for, naming it, and writes nothing.
TEST(TextInEveryLanguage, ForcedWindows1252RefusesWhatItCannotHold) {
    TempDir dir;
    Fixture f;
    f.settings.SaveEncoding = SaveEncodingWindows1252;
    f.doc.cd.title = "Caf\u00e9 \u3042";
    f.doc.modified = true;
    EXPECT_FALSE(SaveAs(f, dir.file("x.cue"), 1));
    ASSERT_EQ(f.ui.MessageIds(), std::vector<int>{6101});
    EXPECT_NE(f.ui.messages[0].text.find("U+3042 (\u3042)"), std::string::npos);
    EXPECT_NE(f.ui.messages[0].text.find("Windows-1252"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir.file("x.cue")));
    EXPECT_TRUE(f.doc.modified);
    // UTF-8 with its mark holds it.
    f.settings.SaveEncoding = SaveEncodingUtf8Bom;
    ASSERT_TRUE(SaveAs(f, dir.file("x.cue"), 1));
    EXPECT_EQ(ReadFileBytes(dir.file("x.cue")).substr(0, 3), "\xEF\xBB\xBF");
}

// XMCD cuts long titles into lines of one key; a cut never falls inside a character, so the
// saved file stays UTF-8 and reads back whole.
TEST(TextInEveryLanguage, LongXmcdTitlesAreCutBetweenCharacters) {
    TempDir dir;
    Fixture f;
    f.doc.trackCount = 1;
    f.doc.tracks[0].start = 150;
    f.doc.tracks[0].title = test::Repeat("\u3042", 200);
    f.doc.tracks[0].performer = "P";
    f.doc.cd.artist = "A";
    ASSERT_TRUE(SaveAs(f, dir.file("x.xmcd"), 2));
    EXPECT_TRUE(IsValidUtf8(ReadFileBytes(dir.file("x.xmcd"))));
    Fixture again;
    ASSERT_TRUE(OpenDocument(again.session, dir.file("x.xmcd")));
    EXPECT_EQ(again.doc.tracks[0].title, f.doc.tracks[0].title);
}

}  // namespace
}  // namespace tracklore
