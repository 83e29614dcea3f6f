#include <gtest/gtest.h>

#include "export/Export.h"
#include "flows/ExportFlow.h"
#include "support/RunCommand.h"
#include "support/TestSupport.h"

namespace tracklore {
namespace {

using test::Fixture;
using test::ReadFileBytes;
using test::TempDir;

void FillSample(TrackList& doc) {
    doc.cd.title = "Live?";
    doc.cd.artist = "Red:Blue";
    doc.trackCount = 1;
    doc.tracks[0].title = "One";
    doc.tracks[0].performer = "Red:Blue";
    doc.tracks[0].start = 150;
}

TEST(ExportDocument, ProposalDialogAndFilterDecidesFormat) {
    Fixture f;
    TempDir dir;
    FillSample(f.doc);
    f.settings.LastExportFilter = 3;
    f.ui.SaveFileNext(FileDialogResult{dir.file("list.txt"), 4});
    ASSERT_TRUE(ExportDocument(f.session));
    const auto& request = f.ui.saveRequests.at(0);
    EXPECT_EQ(request.proposedName, "Red_Blue - Live_");
    EXPECT_EQ(request.title, "Export");
    EXPECT_EQ(request.filterIndex, 3);
    EXPECT_EQ(request.filters.size(), 4u);
    EXPECT_EQ(ReadFileBytes(dir.file("list.txt")).substr(0, 4), "\"#\",");  // CSV into .txt
    EXPECT_EQ(f.settings.LastExportFilter, 4);
    EXPECT_EQ(f.settings.LastDir, dir.path().string() + "/");
    EXPECT_EQ(f.doc.cd.audioFile, "list");
    EXPECT_FALSE(f.doc.modified);

    f.ui.SaveFileNext(FileDialogResult{dir.file("list"), 4});
    ASSERT_TRUE(ExportDocument(f.session));
    EXPECT_TRUE(std::filesystem::exists(dir.file("list.csv")));
    // the proposal now comes from the audio file name
    EXPECT_EQ(f.ui.saveRequests.at(1).proposedName, "list");

    f.doc.documentPath = "/music/a.b/album.cue";
    f.ui.SaveFileNext(std::nullopt);
    EXPECT_FALSE(ExportDocument(f.session));
    EXPECT_EQ(f.ui.saveRequests.at(2).proposedName, "/music/a.b/album");
}

TEST(ExportDocument, ExtensionsByFilter) {
    Fixture f;
    TempDir dir;
    FillSample(f.doc);
    const char* expected[] = {".xml", ".html", ".txt", ".csv"};
    for (int filter = 1; filter <= 4; ++filter) {
        std::string name = "out" + std::to_string(filter);
        f.ui.SaveFileNext(FileDialogResult{dir.file(name), filter});
        ASSERT_TRUE(ExportDocument(f.session));
        EXPECT_TRUE(std::filesystem::exists(dir.file(name + expected[filter - 1]))) << filter;
    }
    EXPECT_EQ(ReadFileBytes(dir.file("out3.txt")), "Red:Blue\tOne\t(bis EOF)\r\n");
}

TEST(ExportDocument, OverwriteNoShowsTheDialogAgain) {
    Fixture f;
    TempDir dir;
    FillSample(f.doc);
    std::string existing = dir.Write("list.csv", "keep");
    f.ui.SaveFileNext(FileDialogResult{dir.file("list"), 4});
    f.ui.AnswerNext(MsgResult::No);
    EXPECT_FALSE(ExportDocument(f.session));  // second dialog cancelled
    ASSERT_EQ(f.ui.saveRequests.size(), 2u);
    EXPECT_EQ(f.ui.saveRequests[1].proposedName, existing);
    ASSERT_EQ(f.ui.MessageIds(), std::vector<int>{1039});
    EXPECT_EQ(f.ui.messages[0].caption, "Export");
    EXPECT_EQ(ReadFileBytes(existing), "keep");
}

TEST(ExportDocument, UnwritablePath) {
    Fixture f;
    TempDir dir;
    FillSample(f.doc);
    f.ui.SaveFileNext(FileDialogResult{dir.file("missing/out.xml"), 1});
    EXPECT_FALSE(ExportDocument(f.session));
    EXPECT_EQ(f.ui.MessageIds(), std::vector<int>{1048});
    EXPECT_EQ(f.doc.cd.audioFile, "out");
}

// Real consumers read the files back with the same values.
const std::string Example = std::string(TRACKLORE_SOURCE_DIR) + "/examples/beispiel.cue";

TEST(ExportConsumers, XmlParsesAsIso88591) {
    if (!test::HaveProgram("python3")) {
        GTEST_SKIP() << "python3 not installed";
    }
    TempDir dir;
    std::string tricky =
        dir.Write("t.cue",
                  "TITLE \"A & B <live> \xe4\xf6\xfc \"\"x\"\"\"\nPERFORMER \"Band\"\n"
                  "TRACK 01 AUDIO\nTITLE \"Tab\there\"\nINDEX 01 00:00:00\n");
    for (const std::string& source : {Example, tricky}) {
        std::string out = dir.file("out.xml");
        ASSERT_EQ(test::RunCli({"export", source, "-o", out, "--format", "xml", "--yes"}).status,
                  0);
        auto parsed = test::RunCommand({"python3", "-c",
                                        "import sys, xml.etree.ElementTree as E\n"
                                        "r = E.parse(sys.argv[1]).getroot()\n"
                                        "print(r.find('Album').text)\n"
                                        "for t in r.find('tracks'):\n"
                                        "    print(t.find('Track-Nr').text, "
                                        "t.find('Interpret').text or '', t.find('Titel').text, "
                                        "t.find('Dauer').text, sep='|')\n",
                                        out});
        ASSERT_EQ(parsed.status, 0) << parsed.err;
        auto shown = test::RunCli({"show", source});
        if (source == tricky) {
            EXPECT_EQ(parsed.out,
                      "A & B <live> \u00e4\u00f6\u00fc \"x\"\n1|Band|Tabhere|(bis EOF)\n");
        } else {
            EXPECT_EQ(parsed.out.substr(0, parsed.out.find('\n')), "Nachtzug nach Lissabon");
            EXPECT_NE(parsed.out.find("4|Marta \u00d6zdemir|Kaffee im Speisewagen|05:24:13"),
                      std::string::npos);
        }
    }
    if (test::HaveProgram("xmllint")) {
        auto lint = test::RunCommand({"xmllint", "--noout", dir.file("out.xml")});
        EXPECT_EQ(lint.status, 0) << lint.err;
    }
}

TEST(ExportConsumers, CsvReadsBackFieldForField) {
    if (!test::HaveProgram("python3")) {
        GTEST_SKIP() << "python3 not installed";
    }
    TempDir dir;
    std::string source =
        dir.Write("c.cue",
                  "PERFORMER \"Band\"\nTRACK 01 AUDIO\nTITLE \"Comma, \"\"quote\"\"; ok\"\n"
                  "INDEX 01 00:00:00\nTRACK 02 AUDIO\nTITLE \"\xe4\"\n"
                  "INDEX 01 01:00:00\n");
    std::string out = dir.file("out.csv");
    ASSERT_EQ(test::RunCli({"export", source, "-o", out, "--format", "csv"}).status, 0);
    auto parsed = test::RunCommand({"python3", "-c",
                                    "import sys, csv\n"
                                    "with open(sys.argv[1], newline='', encoding='cp1252') as f:\n"
                                    "    for row in csv.reader(f):\n"
                                    "        print('|'.join(row))\n",
                                    out});
    ASSERT_EQ(parsed.status, 0) << parsed.err;
    EXPECT_EQ(parsed.out,
              "#|Interpret|Titel|L\u00e4nge\n1|Band|Comma, \"quote\"; ok|01:00:00\n"
              "2|Band|\u00e4|(bis EOF)\n");
}

TEST(CliExport, UsageAndFailures) {
    TempDir dir;
    EXPECT_EQ(test::RunCli({"export", Example, "-o", dir.file("x")}).status, 2);
    EXPECT_EQ(test::RunCli({"export", Example, "-o", dir.file("x"), "--format", "pdf"}).status, 2);
    EXPECT_EQ(test::RunCli({"export", dir.file("none.cue"), "-o", dir.file("x"), "--format", "xml"})
                  .status,
              1);
    auto html = test::RunCli({"export", Example, "-o", dir.file("page"), "--format", "html"});
    ASSERT_EQ(html.status, 0) << html.err;
    EXPECT_NE(ReadFileBytes(dir.file("page.html")).find("Marta &Ouml;zdemir"), std::string::npos);
    auto again = test::RunCli({"export", Example, "-o", dir.file("page.html"), "--format", "html"});
    EXPECT_EQ(again.status, 1);  // overwrite answered No
}

}  // namespace
}  // namespace tracklore
