#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "GuiSupport.h"
#include "ScanGuiSupport.h"
#include "app/Commands.h"
#include "app/FolderScanDialog.h"
#include "app/TrackDialog.h"
#include "app/UndoHistory.h"
#include "support/Mp3Album.h"

namespace tracklore::app::test {
namespace {

namespace mp3 = tracklore::test::mp3;
using tracklore::test::ReadFileBytes;

// A state of the document and whether the window marks it modified.
struct Seen {
    tracklore::TrackList doc;
    bool marked;
};

Seen Now(Editor& editor) {
    return {editor.doc(), editor.Title().contains(QLatin1Char('*'))};
}

TEST(UndoHistory, EveryStepGoesBackAndForthAndTheMarkFollowsTheSavedState) {
    Editor editor;
    ASSERT_TRUE(editor.Start(editor.WriteCue("a.cue", 3, 500)));
    MainWindow& window = editor.window();
    std::vector<Seen> states{Now(editor)};

    // Two keys in one visit of a field are one step; saving makes it the saved state.
    PressKey(window.AlbumTitleEdit(), Qt::Key_X);
    QTest::keyClick(window.AlbumTitleEdit(), Qt::Key_Y);
    PressKey(window.TrackList(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_FALSE(editor.doc().modified);
    states.push_back(Now(editor));

    // Insert with its properties dialog, one step.
    window.SelectTrack(1);
    {
        ModalScript script;
        script.Then([](QWidget* modal) {
            auto* dialog = qobject_cast<TrackDialog*>(modal);
            ASSERT_NE(dialog, nullptr);
            dialog->TitleEdit()->setText("Neu");
            dialog->OkButton()->click();
        });
        PressKey(window.TrackList(), Qt::Key_Insert);
        states.push_back(Now(editor));

        // A cancelled dialog adds nothing.
        script.Then(
            [](QWidget* modal) { qobject_cast<TrackDialog*>(modal)->CancelButton()->click(); });
        window.RunCommand(cmd::Properties);
        EXPECT_TRUE(script.Finished());
    }

    PressKey(window.TrackList(), Qt::Key_Down, Qt::AltModifier);
    states.push_back(Now(editor));

    QApplication::clipboard()->setText("P\tEins\t01:00:00\r\nP\tZwei\t00:30:00\r\n");
    QTest::qWait(0);
    window.SelectTrack(0);
    PressKey(window.TrackList(), Qt::Key_V, Qt::ControlModifier);
    states.push_back(Now(editor));

    // A folder scan replaces the document: one step.
    const std::string folder = (editor.dir().path() / "Platte").string();
    std::filesystem::create_directories(folder);
    std::ofstream(folder + "/01.mp3", std::ios::binary)
        << mp3::TaggedTrack(3.0, "Eins", "Band", "Platte", "1999", 17);
    {
        ModalDriver driver;
        driver.Then([&](QWidget* modal) {
            auto* dialog = qobject_cast<FolderScanDialog*>(modal);
            ASSERT_NE(dialog, nullptr);
            dialog->FolderEdit()->setText(FromPath(folder));
            dialog->StartButton()->click();
        });
        driver.Answer(QMessageBox::Ok);  // the summary
        window.CommandAction(cmd::FolderScan)->trigger();
        EXPECT_TRUE(driver.Finished());
    }
    states.push_back(Now(editor));

    // Typed text in a field that still has the focus is a step of its own.
    PressKey(window.YearEdit(), Qt::Key_Backspace);
    states.push_back(Now(editor));
    ASSERT_EQ(editor.doc().cd.year, "199");
    ASSERT_EQ(states.size(), 7u);
    ASSERT_EQ(window.History().Stack().count(), 6);

    // Undo all from the field, then redo all with both keys.
    const auto expect = [&](std::size_t step) {
        EXPECT_TRUE(SameDocument(editor.doc(), states[step].doc)) << step;
        EXPECT_EQ(editor.doc().modified, step != 1) << step;
        // An untitled document's title has no mark.
        EXPECT_EQ(Now(editor).marked, step != 1 && !states[step].doc.documentPath.empty());
        EXPECT_EQ(editor.Rows(), states[step].doc.trackCount) << step;
        EXPECT_EQ(window.AlbumTitleEdit()->text(), FromText(states[step].doc.cd.title.str()));
    };
    for (std::size_t step = states.size() - 1; step > 0; --step) {
        QTest::keyClick(window.YearEdit(), Qt::Key_Z, Qt::ControlModifier);
        expect(step - 1);
    }
    EXPECT_FALSE(window.CommandAction(cmd::Undo)->isEnabled());
    for (std::size_t step = 1; step < states.size(); ++step) {
        QTest::keyClick(window.YearEdit(), step % 2 ? Qt::Key_Y : Qt::Key_Z,
                        step % 2 ? Qt::ControlModifier : Qt::ControlModifier | Qt::ShiftModifier);
        expect(step);
    }
    EXPECT_FALSE(window.CommandAction(cmd::Redo)->isEnabled());
    EXPECT_TRUE(window.CommandAction(cmd::Undo)->isEnabled());

    // New starts a fresh history.
    ModalScript script;
    script.Answer(QMessageBox::No);  // discard the changes
    PressKey(window.TrackList(), Qt::Key_N, Qt::ControlModifier);
    EXPECT_FALSE(window.CommandAction(cmd::Undo)->isEnabled());
    EXPECT_FALSE(editor.doc().modified);
}

TEST(RecentFiles, EightNewestFirstKeptInTheSettingsAndAMissingOneLeaves) {
    std::string ini;
    std::vector<std::string> paths;
    {
        Editor editor;
        ASSERT_TRUE(editor.Start());
        for (int i = 1; i <= 9; ++i) {
            paths.push_back(editor.WriteCue(std::to_string(i) + ".cue", 1, 300));
            ASSERT_TRUE(DropFilesOn(&editor.window(), {paths.back()}));
        }
        ASSERT_TRUE(DropFilesOn(&editor.window(), {paths[4]}));  // 5.cue again moves up
        QList<QAction*> entries = editor.window().RecentFilesMenu()->actions();
        ASSERT_EQ(entries.size(), 8);
        const char* order[] = {"5", "9", "8", "7", "6", "4", "3", "2"};
        for (int i = 0; i < 8; ++i) {
            EXPECT_EQ(entries[i]->text(), QStringLiteral("&%1 %2.cue").arg(i + 1).arg(order[i]));
        }
        EXPECT_EQ(entries[0]->toolTip(), FromPath(paths[4]));

        // A file that has gone is taken out of the list, and the document stays.
        std::filesystem::remove(paths[8]);
        ModalScript script;
        script.Answer(QMessageBox::Ok);
        entries[1]->trigger();
        ASSERT_EQ(script.seen.size(), 1u);
        EXPECT_TRUE(script.seen[0].text.startsWith("Datei nicht gefunden: "));
        EXPECT_EQ(editor.Title(), "5.cue - Tracklore");
        EXPECT_EQ(editor.window().RecentFilesMenu()->actions().size(), 7);

        // An entry opens its file; the window's size is kept for the next run.
        editor.window().RecentFilesMenu()->actions()[2]->trigger();
        EXPECT_EQ(editor.Title(), "7.cue - Tracklore");
        editor.window().resize(760, 520);
        QApplication::processEvents();
        QTableView* list = editor.window().TrackList();
        EXPECT_EQ(list->columnWidth(2), list->viewport()->width() - list->columnWidth(0) -
                                            list->columnWidth(1) - list->columnWidth(3));
        editor.window().close();
        ini = ReadFileBytes(editor.settingsPath());
    }
    Editor again(ini);
    ASSERT_TRUE(again.Start());
    ASSERT_EQ(again.app().GetSettings().RecentFiles.size(), 7u);
    EXPECT_EQ(again.app().GetSettings().RecentFiles[0], paths[6]);
    EXPECT_EQ(again.window().RecentFilesMenu()->actions().size(), 7);
    EXPECT_EQ(again.window().size(), QSize(760, 520));
}

}  // namespace
}  // namespace tracklore::app::test
