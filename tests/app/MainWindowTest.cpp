#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QTableView>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <atomic>
#include <thread>

#include "GuiSupport.h"
#include "app/Commands.h"
#include "app/QtText.h"
#include "flows/DocumentFlow.h"
#include "model/Cp1252.h"
#include "model/SafeFile.h"
#include "resources/Strings.h"

namespace tracklore::app::test {
namespace {

QAction* Action(Editor& editor, int command) {
    return editor.window().CommandAction(command);
}

QWidget* ControlById(QWidget* root, int id) {
    for (QWidget* child : root->findChildren<QWidget*>()) {
        if (child->property("controlId").toInt() == id) {
            return child;
        }
    }
    return nullptr;
}

// ---- Title, modified mark, status bar ------------------------------------------------------

TEST(MainWindow, FirstKeystrokeMarksModifiedButOpeningDoesNot) {
    Editor editor;
    std::string path = editor.WriteCue("nacht.cue", 3, 500);
    ASSERT_TRUE(editor.Start(path));
    EXPECT_FALSE(editor.doc().modified);
    EXPECT_EQ(editor.Title(), "nacht.cue - Tracklore");
    EXPECT_EQ(editor.window().AlbumTitleEdit()->text(), "Album");

    PressKey(editor.window().AlbumTitleEdit(), Qt::Key_X);
    EXPECT_TRUE(editor.doc().modified);
    EXPECT_EQ(editor.doc().cd.title, "Albumx");
    EXPECT_EQ(editor.Title(), "nacht.cue * - Tracklore");

    // Opening another file through a drop refreshes the fields without marking anything.
    std::string other = editor.WriteCue("tag.cue", 2, 400);
    ModalScript script;  // no question: a drop replaces the document at once
    EXPECT_TRUE(DropFilesOn(&editor.window(), {other}));
    EXPECT_EQ(script.unexpected, 0);
    EXPECT_FALSE(editor.doc().modified);
    EXPECT_EQ(editor.doc().trackCount, 2);
    EXPECT_EQ(editor.Title(), "tag.cue - Tracklore");
    EXPECT_EQ(editor.window().AlbumTitleEdit()->text(), "Album");
}

TEST(MainWindow, UntitledStaysTrackloreUntilSavedAs) {
    Editor editor;
    ASSERT_TRUE(editor.Start());
    EXPECT_EQ(editor.Title(), "Tracklore");
    PressKey(editor.window().AlbumArtistEdit(), Qt::Key_A);
    EXPECT_TRUE(editor.doc().modified);
    EXPECT_EQ(editor.Title(), "Tracklore");

    ModalScript script;
    std::string target = editor.dir().file("neu");
    script.Then([&](QWidget* modal) {
        EXPECT_EQ(modal->windowTitle(), "Sichere Datei als");
        ChooseFile(modal, target);
    });
    Action(editor, cmd::SaveAs)->trigger();
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(editor.Title(), "neu.cue - Tracklore");
    EXPECT_FALSE(editor.doc().modified);
    EXPECT_TRUE(tracklore::FileExists(target + ".cue"));

    PressKey(editor.window().YearEdit(), Qt::Key_1);
    EXPECT_EQ(editor.Title(), "neu.cue * - Tracklore");
}

TEST(MainWindow, FieldsTakeEveryCharacterUpToTheirCapacity) {
    Editor editor;
    ASSERT_TRUE(editor.Start());
    QLineEdit* title = editor.window().AlbumTitleEdit();
    title->setFocus();
    // Typed characters of several scripts, one of them outside Windows-1252.
    for (QString typed : {QString("G"), QString("r"), QString(QChar(0xFC)), QString(QChar(0x142)),
                          QString(QChar(0x20AC)), QString(QChar(0x0416))}) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, typed);
        QApplication::sendEvent(title, &press);
    }
    EXPECT_EQ(title->text(),
              QString("Gr") + QChar(0xFC) + QChar(0x142) + QChar(0x20AC) + QChar(0x0416));
    EXPECT_EQ(editor.doc().cd.title, "Gr\u00fc\u0142\u20ac\u0416");
    QTest::keyClicks(title, QString(200, 'x'));
    EXPECT_EQ(CharacterCount(editor.doc().cd.title.str()), 127u);
}

TEST(MainWindow, StatusBarShowsCountAndTotalOnlyWhenKnown) {
    Editor editor;
    ASSERT_TRUE(editor.Start(editor.WriteCue("a.cue", 3, 500)));
    StatusBar* status = editor.window().Status();
    EXPECT_EQ(status->PartText(0), "3 Track(s)");
    EXPECT_EQ(status->PartText(1), "CD-ID: 0c01f203");
    EXPECT_EQ(status->PartText(2), "Spielzeit total: 8:20:00");
    EXPECT_EQ(status->PartGeometry(0).right() < 90, true);
    EXPECT_EQ(status->PartGeometry(1).left(), 90);
    EXPECT_EQ(status->PartGeometry(2).left(), 200);

    Editor open;
    ASSERT_TRUE(open.Start(open.WriteCue("b.cue", 2)));
    EXPECT_EQ(open.window().Status()->PartText(0), "2 Track(s)");
    EXPECT_EQ(open.window().Status()->PartText(1), "");
    EXPECT_EQ(open.window().Status()->PartText(2), "");
    EXPECT_EQ(open.Cell(1, 3), "(bis EOF)");
    EXPECT_EQ(open.Cell(0, 0), " 1");
    EXPECT_EQ(open.Cell(0, 2), "Titel 1");
    EXPECT_EQ(open.Cell(0, 1), "Band");
    EXPECT_EQ(open.Cell(0, 3), "3:20:00");
}

TEST(MainWindow, MenuHelpFillsOnePartWhileAMenuIsOpen) {
    Editor editor;
    ASSERT_TRUE(editor.Start(editor.WriteCue("a.cue", 2, 400)));
    StatusBar* status = editor.window().Status();
    QMenu* edit = editor.window().EditMenu();
    edit->popup(editor.window().mapToGlobal(QPoint(40, 40)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return edit->isVisible(); }));
    EXPECT_TRUE(status->InMenuMode());
    EXPECT_EQ(status->MenuText(), "");
    edit->setActiveAction(Action(editor, cmd::InsertTrack));
    EXPECT_EQ(status->MenuText(),
              "F\u00fcge einen neuen Track an der ausgew\u00e4hlten Position ein.");
    edit->setActiveAction(Action(editor, cmd::SwapTitles));
    EXPECT_EQ(status->MenuText(), "Tausche Titel und Interpret f\u00fcr jeden Track.");
    edit->hide();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !status->InMenuMode(); }));
    EXPECT_EQ(status->PartText(0), "2 Track(s)");
    EXPECT_EQ(status->PartText(1),
              "CD-ID: " + QString::fromStdString(editor.doc().cd.discId.str()));
}

// ---- Menus, toolbar, controls ---------------------------------------------------------------

TEST(MainWindow, MenusCarryTextsKeysAndCommandNumbers) {
    Editor editor;
    ASSERT_TRUE(editor.Start());
    QList<QAction*> menus = editor.window().menuBar()->actions();
    ASSERT_EQ(menus.size(), 3);
    EXPECT_EQ(menus[0]->text(), "&Datei");
    EXPECT_EQ(menus[1]->text(), "\u00c4n&dern");
    EXPECT_EQ(menus[2]->text(), "&Hilfe");

    QStringList file;
    for (QAction* action : menus[0]->menu()->actions()) {
        file << (action->isSeparator() ? QStringLiteral("-") : action->text());
    }
    EXPECT_EQ(file,
              (QStringList{"&Neu\tCtrl+N", "\u00d6&ffnen ...\tCtrl+O", "&Zuletzt ge\u00f6ffnet",
                           "-", "&Sichern\tCtrl+S", "Sichern &als ...", "-", "&Import", "&Export",
                           "-", "&Einstellungen ...", "-", "&Beenden\tAlt+F4"}));
    QStringList edit;
    for (QAction* action : editor.window().EditMenu()->actions()) {
        edit << (action->isSeparator() ? QStringLiteral("-")
                                       : QString::number(action->property("commandId").toInt()));
    }
    EXPECT_EQ(edit, (QStringList{"309", "310", "-", "301", "-", "302", "303", "304", "305", "-",
                                 "306", "307", "-", "212", "-", "308"}));
    EXPECT_EQ(Action(editor, cmd::Properties)->text(), "&Eigenschaften\tEnter");
    EXPECT_EQ(Action(editor, cmd::InsertTrack)->text(), "Einf\u00fcgen &neuer Track ...\tEinfg");

    // Every control with a number carries it.
    QWidget* client = editor.window().Client();
    for (int id : {101, 102, 103, 104, 105, 106, 107, 108}) {
        EXPECT_NE(ControlById(client, id), nullptr) << id;
    }
    auto* group = qobject_cast<QGroupBox*>(ControlById(client, 101));
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->title(), "CD Info");
    EXPECT_TRUE(group->font().bold());
    EXPECT_EQ(editor.window().AlbumTitleEdit()->maxLength(), 127);
    EXPECT_EQ(editor.window().YearEdit()->maxLength(), 4);
    EXPECT_EQ(editor.window().GenreBox()->lineEdit()->maxLength(), 52);
    EXPECT_EQ(
        editor.window().AlbumTitleEdit()->toolTip(),
        "Name der CD oder Album. F\u00fcge \"CD 1\" oder \"CD 2\" hinzu falls es n\u00f6tig ist.");
}

TEST(MainWindow, ToolbarHasThirteenButtonsInOrderWithTips) {
    Editor editor;
    ASSERT_TRUE(editor.Start());
    QToolBar* toolbar = editor.window().ToolBar();
    QStringList order;
    for (QAction* action : toolbar->actions()) {
        order << (action->isSeparator() ? QStringLiteral("-")
                                        : QString::number(action->property("commandId").toInt()));
        if (!action->isSeparator()) {
            EXPECT_FALSE(action->icon().isNull());
            auto* button = qobject_cast<QToolButton*>(toolbar->widgetForAction(action));
            ASSERT_NE(button, nullptr);
            EXPECT_EQ(button->size(), QSize(20, 20));
            EXPECT_EQ(button->toolTip(),
                      FromText(String(HelpTextId(action->property("commandId").toInt()))));
        }
    }
    EXPECT_EQ(order, (QStringList{"-", "201", "202", "203", "-", "309", "310", "-", "205", "207",
                                  "206", "208", "-", "212", "-", "213", "214", "215"}));
}

TEST(MainWindow, GenreBoxListsSlotsAndStoresThePickedName) {
    Editor editor;
    ASSERT_TRUE(editor.Start(editor.WriteCue("a.cue", 1, 300)));
    QComboBox* genre = editor.window().GenreBox();
    ASSERT_EQ(genre->count(), 145);
    EXPECT_EQ(genre->itemText(0), "Blues");
    EXPECT_EQ(genre->itemText(144), "Thrash Metal");
    EXPECT_EQ(genre->itemData(144).toInt(), 146);
    int merengue = genre->findText("Merengue");
    EXPECT_EQ(genre->itemData(merengue).toInt(), 144);
    EXPECT_EQ(genre->itemData(genre->findText("Salsa")).toInt(), 145);

    genre->lineEdit()->setText("Jaz");
    EXPECT_FALSE(editor.doc().modified);  // set from outside, not typed
    int rock = genre->findText("Rock");
    genre->setCurrentIndex(rock);
    emit genre->activated(rock);
    EXPECT_EQ(editor.doc().cd.genre, "Rock");
    EXPECT_TRUE(editor.doc().modified);

    PressKey(genre->lineEdit(), Qt::Key_S);
    EXPECT_EQ(editor.doc().cd.genre, "Rocks");
}

TEST(MainWindow, ListFollowsTheLayoutRuleAtEverySize) {
    Editor editor;
    ASSERT_TRUE(editor.Start());
    MainWindow& window = editor.window();
    EXPECT_EQ(window.frameGeometry().size(), QSize(MainWindowWidth, MainWindowHeight));
    for (QSize size : {QSize(537, 454), QSize(800, 600), QSize(300, 250), QSize(1200, 333)}) {
        window.resize(size);
        QApplication::processEvents();
        const int T = window.ToolBar()->height();
        const int W = window.Client()->width() - 8;
        const int H = window.Client()->height();
        EXPECT_EQ(window.TrackList()->geometry(), QRect(4, T + 71, W, H - T - 96)) << size.width();
        EXPECT_EQ(window.AlbumTitleEdit()->geometry(), QRect(62, T + 16, W - 245, 19));
        EXPECT_EQ(window.YearEdit()->geometry().topLeft(), QPoint(W - 135, T + 16));
        EXPECT_EQ(window.GenreBox()->geometry().topLeft(), QPoint(W - 135, T + 40));
        EXPECT_EQ(window.Status()->geometry().bottom(), H - 1);
    }
    window.resize(100, 100);
    QApplication::processEvents();
    EXPECT_GE(window.frameGeometry().width(), MainWindowMinWidth);
    EXPECT_GE(window.frameGeometry().height(), MainWindowMinHeight);
}

// ---- Enable rules and keys -----------------------------------------------------------------

TEST(MainWindow, ItemsGreyedForEachSelectionState) {
    Editor editor;
    ASSERT_TRUE(editor.Start(editor.WriteCue("a.cue", 3, 500)));
    MainWindow& window = editor.window();
    auto enabled = [&](int command) {
        window.UpdateEditMenuState();
        return Action(editor, command)->isEnabled();
    };
    // Nothing selected.
    for (int command :
         {cmd::Cut, cmd::Copy, cmd::Delete, cmd::Properties, cmd::MoveUp, cmd::MoveDown}) {
        EXPECT_FALSE(enabled(command)) << command;
    }
    EXPECT_TRUE(enabled(cmd::InsertTrack));
    EXPECT_TRUE(enabled(cmd::SwapTitles));
    // First, middle, last row.
    window.SelectTrack(0);
    EXPECT_FALSE(enabled(cmd::MoveUp));
    EXPECT_TRUE(enabled(cmd::MoveDown));
    EXPECT_TRUE(enabled(cmd::Copy));
    window.SelectTrack(1);
    EXPECT_TRUE(enabled(cmd::MoveUp) && enabled(cmd::MoveDown));
    window.SelectTrack(2);
    EXPECT_TRUE(enabled(cmd::MoveUp));
    EXPECT_FALSE(enabled(cmd::MoveDown));
    // The selection follows clicks: a click on row 0 of the list.
    QTableView* list = window.TrackList();
    QRect cell = list->visualRect(list->model()->index(0, 2));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    EXPECT_EQ(window.SelectedTrack(), 0);
    EXPECT_FALSE(Action(editor, cmd::MoveUp)->isEnabled());
    // The context menu offers the same state, without Swap titles.
    window.TrackList()->customContextMenuRequested(cell.center());
    QMenu* context = window.ContextMenu();
    ASSERT_NE(context, nullptr);
    QStringList items;
    for (QAction* action : context->actions()) {
        if (!action->isSeparator()) {
            items << QString::number(action->property("commandId").toInt()) +
                         (action->isEnabled() ? "+" : "-");
        }
    }
    EXPECT_EQ(items, (QStringList{"301+", "302+", "303+", "304-", "305+", "306-", "307+", "308+"}));
    context->close();

    // An empty list greys Swap titles in the menu and on the toolbar.
    ModalScript script;
    Action(editor, cmd::New)->trigger();
    EXPECT_EQ(editor.Rows(), 0);
    EXPECT_FALSE(enabled(cmd::SwapTitles));
    QWidget* button = window.ToolBar()->widgetForAction(Action(editor, cmd::SwapTitles));
    EXPECT_FALSE(button->isEnabled());
    EXPECT_TRUE(enabled(cmd::InsertTrack));
}

TEST(MainWindow, DeleteActsOnTheFieldOrTheListByFocus) {
    Editor editor;
    ASSERT_TRUE(editor.Start(editor.WriteCue("a.cue", 3, 500)));
    MainWindow& window = editor.window();
    window.SelectTrack(1);
    QLineEdit* title = window.AlbumTitleEdit();
    title->setFocus();
    title->setCursorPosition(0);
    QTest::keyClick(title, Qt::Key_Delete);
    EXPECT_EQ(title->text(), "lbum");
    EXPECT_EQ(editor.doc().trackCount, 3);
    // Keys of the track list do nothing in a field: Insert, Ctrl+C, Enter.
    QTest::keyClick(title, Qt::Key_Insert);
    QTest::keyClick(title, Qt::Key_Return);
    EXPECT_EQ(editor.doc().trackCount, 3);

    PressKey(window.TrackList(), Qt::Key_Delete);
    EXPECT_EQ(editor.doc().trackCount, 2);
    EXPECT_EQ(editor.Rows(), 2);
    EXPECT_EQ(window.SelectedTrack(), -1);
    // With nothing selected the key does nothing and the list keeps its rows.
    PressKey(window.TrackList(), Qt::Key_Delete);
    EXPECT_EQ(editor.doc().trackCount, 2);
}

TEST(MainWindow, GlobalKeysWorkFromFieldsAndListKeysFromTheList) {
    Editor editor;
    ASSERT_TRUE(editor.Start(editor.WriteCue("a.cue", 3, 500)));
    MainWindow& window = editor.window();
    // Alt+Down moves the selected track, Alt+Up back.
    window.SelectTrack(0);
    PressKey(window.TrackList(), Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(editor.doc().tracks[1].title, "Titel 1");
    EXPECT_EQ(window.SelectedTrack(), 1);
    EXPECT_EQ(QApplication::focusWidget(), window.TrackList());
    PressKey(window.TrackList(), Qt::Key_Up, Qt::AltModifier);
    EXPECT_EQ(editor.doc().tracks[0].title, "Titel 1");
    // Ctrl+C in the list copies the track; Shift+Insert pastes it before the selection.
    window.SelectTrack(2);
    PressKey(window.TrackList(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "Band\tTitel 3\t01:38:00\r\n");
    window.SelectTrack(0);
    PressKey(window.TrackList(), Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(editor.doc().trackCount, 4);
    EXPECT_EQ(editor.doc().tracks[0].title, "Titel 3");
    // Ctrl+N from a field is New: the document is modified, so it asks; Cancel keeps all.
    ModalScript script;
    script.Answer(QMessageBox::Cancel);
    PressKey(window.AlbumTitleEdit(), Qt::Key_N, Qt::ControlModifier);
    EXPECT_TRUE(script.Finished());
    ASSERT_EQ(script.seen.size(), 1u);
    EXPECT_EQ(script.seen[0].title, "Best\u00e4tige");
    EXPECT_EQ(editor.doc().trackCount, 4);
}

// ---- Document commands ---------------------------------------------------------------------

TEST(MainWindow, NewWithCancelKeepsAndWithNoEmpties) {
    Editor editor;
    ASSERT_TRUE(editor.Start(editor.WriteCue("a.cue", 3, 500)));
    PressKey(editor.window().AlbumTitleEdit(), Qt::Key_X);
    ModalScript script;
    script.Answer(QMessageBox::Cancel);
    Action(editor, cmd::New)->trigger();
    ASSERT_EQ(script.seen.size(), 1u);
    EXPECT_EQ(script.seen[0].text,
              "Die aktuelle Datei hat ungesicherte \u00c4nderungen. M\u00f6chtest Du sie voher "
              "sichern?");
    EXPECT_EQ(editor.doc().trackCount, 3);
    EXPECT_TRUE(editor.doc().modified);
    EXPECT_EQ(editor.Title(), "a.cue * - Tracklore");

    script.Answer(QMessageBox::No);
    Action(editor, cmd::New)->trigger();
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(editor.doc().trackCount, 0);
    EXPECT_FALSE(editor.doc().modified);
    EXPECT_EQ(editor.Title(), "Tracklore");
    EXPECT_EQ(editor.window().Status()->PartText(0), "0 Track(s)");
    EXPECT_EQ(editor.window().AlbumTitleEdit()->text(), "");
}

TEST(MainWindow, NewWithYesSavesFirstAndStopsWhenTheSaveIsCancelled) {
    Editor editor;
    std::string path = editor.WriteCue("a.cue", 2, 400);
    ASSERT_TRUE(editor.Start(path));
    PressKey(editor.window().AlbumTitleEdit(), Qt::Key_X);
    ModalScript script;
    script.Answer(QMessageBox::Yes);
    Action(editor, cmd::New)->trigger();
    EXPECT_EQ(editor.doc().trackCount, 0);
    EXPECT_NE(tracklore::test::ReadFileBytes(path).find("TITLE \"Albumx\""), std::string::npos);

    // Untitled and modified: Yes opens the save dialog; cancelling it abandons New.
    PressKey(editor.window().AlbumTitleEdit(), Qt::Key_Y);
    script.Answer(QMessageBox::Yes);
    script.Then([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
    Action(editor, cmd::New)->trigger();
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(editor.doc().cd.title, "y");
    EXPECT_TRUE(editor.doc().modified);
}

TEST(MainWindow, DropWhileModifiedReplacesWithoutQuestionAndTwoFilesAreRefused) {
    Editor editor;
    ASSERT_TRUE(editor.Start(editor.WriteCue("a.cue", 3, 500)));
    PressKey(editor.window().AlbumTitleEdit(), Qt::Key_X);
    std::string one = editor.WriteCue("eins.cue", 1, 300);
    std::string two = editor.WriteCue("zwei.cue", 2, 300);

    ModalScript script;
    script.Answer(QMessageBox::Ok);
    EXPECT_TRUE(DropFilesOn(&editor.window(), {one, two}));
    ASSERT_EQ(script.seen.size(), 1u);
    EXPECT_EQ(script.seen[0].title, "\u00d6ffne Datei");
    EXPECT_EQ(script.seen[0].text,
              "Du kannst nur eine Datei in dieses Programm reinlegen um es zu laden.");
    EXPECT_EQ(script.seen[0].icon, QMessageBox::Warning);
    EXPECT_EQ(editor.doc().trackCount, 3);

    // Dropped on the track list, the file goes to the window just the same.
    EXPECT_TRUE(DropFilesOn(editor.window().TrackList()->viewport(), {two}));
    EXPECT_EQ(script.unexpected, 0);
    EXPECT_EQ(editor.doc().trackCount, 2);
    EXPECT_EQ(editor.Title(), "zwei.cue - Tracklore");
    // The fields do not take the drop themselves.
    EXPECT_FALSE(editor.window().AlbumTitleEdit()->acceptDrops());
}

TEST(MainWindow, ExportWritesTheChosenFormat) {
    Editor editor;
    ASSERT_TRUE(editor.Start(editor.WriteCue("a.cue", 2, 400)));
    ModalScript script;
    std::string target = editor.dir().file("liste.xml");
    script.Then([&](QWidget* modal) { ChooseFile(modal, target); });
    Action(editor, cmd::Export)->trigger();
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(script.unexpected, 0);
    EXPECT_EQ(tracklore::test::ReadFileBytes(target).rfind("<?xml", 0), 0u);
    EXPECT_FALSE(editor.doc().modified);
}

TEST(MainWindow, CueSheetGoesIntoTheChosenMp3File) {
    Editor editor;
    ASSERT_TRUE(editor.Start(editor.WriteCue("a.cue", 2, 400)));
    std::string mp3 = editor.dir().Write("album.mp3", tracklore::test::mp3::CbrStream(64 * 1024));
    ModalScript script;
    script.Then([&](QWidget* modal) { ChooseFile(modal, mp3); });
    script.Answer(QMessageBox::Ok);  // the report of the written tag
    Action(editor, cmd::WriteCueToMp3)->trigger();
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(script.unexpected, 0);
    EXPECT_EQ(tracklore::test::ReadFileBytes(mp3).rfind("ID3", 0), 0u);
}

class UrlCatcher : public QObject {
    Q_OBJECT
  public:
    QList<QUrl> urls;
  public slots:
    void Open(const QUrl& url) { urls << url; }
};

TEST(MainWindow, ReadmeKeyOpensTheReadmeFile) {
    Editor editor;
    ASSERT_TRUE(editor.Start());
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("file", &catcher, "Open");
    PressKey(editor.window().AlbumTitleEdit(), Qt::Key_F1);
    QDesktopServices::unsetUrlHandler("file");
    ASSERT_EQ(catcher.urls.size(), 1);
    EXPECT_EQ(catcher.urls[0].toLocalFile(), QString::fromStdString(editor.readmePath()));
}

TEST(MainWindow, ExitClosesTheWindowAfterTheQuestion) {
    Editor editor;
    ASSERT_TRUE(editor.Start(editor.WriteCue("a.cue", 1, 300)));
    PressKey(editor.window().AlbumTitleEdit(), Qt::Key_X);
    ModalScript script;
    script.Answer(QMessageBox::Cancel);
    Action(editor, cmd::Exit)->trigger();
    EXPECT_TRUE(editor.window().isVisible());
    EXPECT_FALSE(editor.app().Closed());
    script.Answer(QMessageBox::No);
    Action(editor, cmd::Exit)->trigger();
    EXPECT_FALSE(editor.window().isVisible());
    EXPECT_TRUE(editor.app().Closed());
}

TEST(MainWindow, WorkerThreadCallsRunOnTheUiThread) {
    Editor editor;
    ASSERT_TRUE(editor.Start());
    std::atomic<bool> done{false};
    std::thread worker([&] {
        // As an import on a worker does it: replace the document, then refresh.
        ResetTrackList(editor.doc());
        editor.doc().trackCount = 1;
        editor.doc().tracks[0].start = 150;
        editor.doc().tracks[0].title = "Vom Arbeiter";
        SetModified(editor.app().GetSession(), true);
        editor.app().Ui().RefreshMainWindow();
        editor.app().Ui().SelectTrack(0);
        done = editor.app().Ui().SelectedTrack() == 0;
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return done.load(); }, 5000));
    worker.join();
    EXPECT_EQ(editor.Cell(0, 2), "Vom Arbeiter");
    EXPECT_EQ(editor.window().SelectedTrack(), 0);
}

}  // namespace
}  // namespace tracklore::app::test

#include "MainWindowTest.moc"
