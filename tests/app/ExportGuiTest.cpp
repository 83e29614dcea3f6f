#include <gtest/gtest.h>

#include <QAction>
#include <QFileDialog>
#include <QTest>

#include "GuiSupport.h"
#include "app/Commands.h"
#include "app/QtPlatform.h"
#include "export/Export.h"

namespace tracklore::app::test {
namespace {

using tracklore::test::ReadFileBytes;

// The export command through the editor's file dialog: each filter writes its own format
// under a name that gets the filter's extension, and the next export offers the filter last
// used.
TEST(ExportCommand, EachFilterWritesItsFormatAndIsOfferedNextTime) {
    Editor editor;
    ASSERT_TRUE(editor.Start(editor.WriteCue("album.cue", 3, 700)));
    struct Case {
        int filter;
        const char* extension;
        const char* beginning;
    };
    const Case cases[] = {{ExportFilterXml, ".xml", "<?xml"},
                          {ExportFilterHtml, ".html", "<html>"},
                          {ExportFilterText, ".txt", "Band\tTitel 1\t"},
                          {ExportFilterCsv, ".csv", "\""}};
    int previous = editor.app().GetSettings().LastExportFilter;
    for (const Case& c : cases) {
        const std::string base = editor.dir().file("liste" + std::to_string(c.filter));
        QString offered;  // as the dialog shows it
        ModalScript script;
        script.Then([&](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            ASSERT_NE(dialog, nullptr);
            ASSERT_EQ(dialog->nameFilters().size(), 4);
            offered = dialog->selectedNameFilter();
            EXPECT_EQ(FilterPosition(dialog->nameFilters(), offered), previous - 1)
                << offered.toStdString();
            dialog->selectNameFilter(dialog->nameFilters()[c.filter - 1]);
            ChooseFile(modal, base);  // typed without an extension
        });
        editor.window().CommandAction(cmd::Export)->trigger();
        EXPECT_TRUE(script.Finished());
        EXPECT_EQ(script.unexpected, 0);

        const std::string written = ReadFileBytes(base + c.extension);
        EXPECT_EQ(written.rfind(c.beginning, 0), 0u) << c.extension << ": " << written;
        // A document of Windows-1252 text: every format writes those bytes.
        EXPECT_EQ(written,
                  EncodeText(MakeExportText(editor.doc(), editor.app().GetSession().timeFormat(),
                                            c.filter, German()),
                             TextEncoding{})
                      .bytes);
        EXPECT_EQ(editor.app().GetSettings().LastExportFilter, c.filter);
        EXPECT_FALSE(editor.doc().modified);
        previous = c.filter;
    }
    // The CSV table starts with its header and has one line per track.
    const std::string csv = ReadFileBytes(editor.dir().file("liste4.csv"));
    int lines = 0;
    for (char ch : csv) {
        lines += ch == '\n';
    }
    EXPECT_EQ(lines, 4);
}

// Save As shares the dialog: the XMCD filter chosen there writes an XMCD record.
TEST(SaveAsCommand, TheChosenFilterDecidesTheFormat) {
    Editor editor;
    ASSERT_TRUE(editor.Start(editor.WriteCue("album.cue", 2, 400)));
    const std::string base = editor.dir().file("kopie");
    ModalScript script;
    script.Then([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        dialog->selectNameFilter(dialog->nameFilters()[1]);
        ChooseFile(modal, base);
    });
    editor.window().CommandAction(cmd::SaveAs)->trigger();
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(ReadFileBytes(base + ".xmcd").rfind("# xmcd", 0), 0u);
    EXPECT_EQ(editor.app().GetSettings().LastSaveFilter, 2);
}

}  // namespace
}  // namespace tracklore::app::test
