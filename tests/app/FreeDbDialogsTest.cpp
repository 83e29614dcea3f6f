#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "DialogSupport.h"
#include "GuiSupport.h"
#include "app/Commands.h"
#include "app/FetchDialog.h"
#include "app/LinkLabel.h"
#include "app/QtText.h"
#include "app/SearchDialog.h"
#include "app/TransferDialog.h"
#include "support/LocalHttpServer.h"

namespace tracklore::app::test {
namespace {

using tracklore::test::HttpReply;
using tracklore::test::LocalHttpServer;

// A two-track record as the database serves it.
const std::string Record =
    "# xmcd\r\n"
    "#\r\n"
    "# Track frame offsets:\r\n"
    "#\t150\r\n"
    "#\t15150\r\n"
    "#\r\n"
    "# Disc length: 400 seconds\r\n"
    "#\r\n"
    "DISCID=7a0b1c2d\r\n"
    "DTITLE=Blue Band / Night Songs\r\n"
    "DYEAR=1999\r\n"
    "DGENRE=Rock\r\n"
    "TTITLE0=Evening\r\n"
    "TTITLE1=Guest Star / Midnight\r\n"
    "EXTD=\r\n"
    "EXTT0=\r\n"
    "EXTT1=\r\n"
    "PLAYORDER=\r\n";

// The result page of the words "Blue Band": three matching links (one with an ID that is no
// disc ID), a second link on a line, a link of another album and lines without links.
const std::string ResultPage =
    "<html><body><h1>Ergebnisse</h1>\n"
    "<a href=\"/cd/rock/7a0b1c2d\">ohne Kategorie</a>\n"
    "<p><a href=\"/cd?cat=rock&id=7a0b1c2d\">Blue Band / Night Songs</a> "
    "<a href=\"/cd?cat=jazz&id=00000001\">Blue Band / Zweiter Link</a></p>\n"
    "<p><a href=\"/cd?cat=Jazz&id=1234ABCD\">The Blue Bandits / Live</a></p>\n"
    "<p><a href=\"/cd?cat=misc&id=zzzz\">Blue Band / Kaputt</a></p>\n"
    "<p><a href=\"/cd?cat=rock&id=0badf00d\">Other Group / Nothing</a></p>\n"
    "</body></html>\n";

// The editor with its FreeDB address on a local server.
struct FreeDbEditor {
    LocalHttpServer server;
    Editor editor;

    FreeDbEditor() {
        EXPECT_TRUE(editor.Start(editor.WriteCue("vorher.cue", 3, 600)));
        editor.app().GetSettings().URL = server.Url("/gnudb/%x/%y");
    }
    Session& session() { return editor.app().GetSession(); }
    const UiFonts& fonts() { return editor.app().Fonts(); }
    SearchOptions Search() {
        SearchOptions options;
        options.addressFormat = SearchAddressFormat(German(), server.Url());
        return options;
    }
};

void Show(QDialog& dialog) {
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
}

void SetFetchInput(FetchDialog& dialog, const QString& category, const QString& discId) {
    dialog.CategoryBox()->setEditText(category);
    dialog.DiscIdEdit()->setText(discId);
}

// ---- Fetch dialog ------------------------------------------------------------------------

TEST(FetchDialog, OpensWithSortedCategoriesMiscAndFocusInTheDiscId) {
    FreeDbEditor f;
    FetchDialog dialog(f.session(), f.fonts(), &f.editor.window());
    Show(dialog);
    EXPECT_EQ(dialog.windowTitle(), "Lade FreeDB Trackliste");
    QComboBox* box = dialog.CategoryBox();
    EXPECT_EQ(box->property("controlId").toInt(), 101);
    EXPECT_TRUE(box->isEditable());
    ASSERT_EQ(box->count(), 11);
    QStringList names;
    for (int i = 0; i < box->count(); ++i) {
        names << box->itemText(i);
    }
    QStringList sorted = names;
    sorted.sort();
    EXPECT_EQ(names, sorted);
    // Item data: the place in the list of the string table, whatever the sorted order.
    EXPECT_EQ(box->itemData(box->findText("blues")).toInt(), 0);
    EXPECT_EQ(box->itemData(box->findText("misc")).toInt(), 6);
    EXPECT_EQ(box->itemData(box->findText("soundtrack")).toInt(), 10);
    EXPECT_EQ(box->currentText(), "misc");
    EXPECT_EQ(box->currentIndex(), box->findText("misc"));

    EXPECT_EQ(dialog.DiscIdEdit()->property("controlId").toInt(), 102);
    EXPECT_EQ(dialog.DiscIdEdit()->maxLength(), 8);
    EXPECT_EQ(dialog.focusWidget(), dialog.DiscIdEdit());
    EXPECT_EQ(dialog.OkButton()->property("controlId").toInt(), 1);
    EXPECT_EQ(dialog.CancelButton()->property("controlId").toInt(), 2);
    EXPECT_TRUE(dialog.OkButton()->isDefault());

    EXPECT_EQ(dialog.SearchLink()->toolTip(), Text(3017));
    EXPECT_EQ(box->toolTip(), Text(3018));
    EXPECT_EQ(box->lineEdit()->toolTip(), Text(3018));
    EXPECT_EQ(dialog.DiscIdEdit()->toolTip(), Text(3019));
    EXPECT_EQ(dialog.OkButton()->toolTip(), Text(3020));
    EXPECT_EQ(dialog.CancelButton()->toolTip(), Text(3012));

    // Centred over the main window.
    EXPECT_EQ(dialog.pos(),
              CenteredOver(f.editor.window().frameGeometry(), dialog.frameGeometry().size()));
}

TEST(FetchDialog, LinkIsAnUnderlinedDarkBlueWebAddressThatOpensInTheBrowser) {
    FreeDbEditor f;
    FetchDialog dialog(f.session(), f.fonts(), &f.editor.window());
    Show(dialog);
    LinkLabel* link = dialog.SearchLink();
    EXPECT_EQ(link->property("controlId").toInt(), 103);
    const QUrl address(link->text());
    EXPECT_TRUE(address.scheme() == "https" || address.scheme() == "http");
    EXPECT_FALSE(address.host().isEmpty());
    EXPECT_TRUE(link->font().underline());
    EXPECT_EQ(link->palette().color(QPalette::WindowText), QColor(0, 0, 128));
    EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);

    LinkCatcher catcher(address.scheme());
    QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(3, link->height() / 2));
    ASSERT_EQ(catcher.urls.size(), 1);
    EXPECT_EQ(catcher.urls[0], address);
    EXPECT_TRUE(dialog.isVisible());
}

TEST(FetchDialog, BadRequestsDoNothingAtAll) {
    FreeDbEditor f;
    MessageBoxWatch boxes;
    FetchDialog dialog(f.session(), f.fonts(), &f.editor.window());
    Show(dialog);
    const std::pair<const char*, const char*> bad[] = {
        {"rock", "3a4c87b"},      // seven digits
        {"rock", "3a4c87bg"},     // a letter beyond F
        {"new-age", "3a4c87b1"},  // a hyphen
        {"new age", "3a4c87b1"},  // a blank
        {"", "3a4c87b1"},
    };
    for (const auto& [category, discId] : bad) {
        SetFetchInput(dialog, category, discId);
        QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
        EXPECT_TRUE(dialog.isVisible()) << category << " " << discId;
        EXPECT_EQ(dialog.CategoryBox()->currentText(), category);
        EXPECT_EQ(dialog.DiscIdEdit()->text(), discId);
    }
    // Enter on the disc ID field is OK too.
    PressKey(dialog.DiscIdEdit(), Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(boxes.seen.empty());
    EXPECT_TRUE(f.server.Requests().empty());
    EXPECT_EQ(f.editor.doc().trackCount, 3);
}

TEST(FetchDialog, LoadsTheRecordInLowerCaseRefreshesTheWindowAndCloses) {
    FreeDbEditor f;
    f.server.Serve("/gnudb/rock/7a0b1c2d", HttpReply::Ok(Record));
    MessageBoxWatch boxes;
    FetchDialog dialog(f.session(), f.fonts(), &f.editor.window());
    Show(dialog);
    SetFetchInput(dialog, "Rock", "7A0B1C2D");
    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);

    EXPECT_TRUE(boxes.seen.empty());
    EXPECT_EQ(f.server.Requests(), std::vector<std::string>{"/gnudb/rock/7a0b1c2d"});
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(dialog.Flags().loaded);
    // The window shows the new document, marked modified.
    EXPECT_EQ(f.editor.doc().trackCount, 2);
    EXPECT_TRUE(f.editor.doc().modified);
    EXPECT_EQ(f.editor.Rows(), 2);
    EXPECT_EQ(f.editor.Cell(0, 2), "Evening");
    EXPECT_EQ(f.editor.window().AlbumTitleEdit()->text(), "Night Songs");
    EXPECT_EQ(f.editor.window().AlbumArtistEdit()->text(), "Blue Band");
    EXPECT_EQ(f.editor.Title(), "Tracklore");  // no longer the file it replaced
}

TEST(FetchDialog, FailuresKeepTheDialogOpenUnlessTheReaderHasSpoken) {
    FreeDbEditor f;
    f.server.Serve("/gnudb/misc/00000001", HttpReply::Status(404, "not here"));
    f.server.Serve("/gnudb/misc/00000002", HttpReply::Ok("<html>no record</html>\n"));
    f.server.Serve("/gnudb/misc/00000003", HttpReply::Ok("# xmcd\nDTITLE=x\nnonsense\n"));
    MessageBoxWatch boxes;
    FetchDialog dialog(f.session(), f.fonts(), &f.editor.window());
    Show(dialog);

    // A failed download: message 1081, the dialog stays with the input, the document too.
    SetFetchInput(dialog, "misc", "00000001");
    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_EQ(boxes.seen[0].text, WithPlainLineBreaks(Text(1081)));
    EXPECT_EQ(boxes.seen[0].title, "Fehler");
    EXPECT_EQ(boxes.seen[0].icon, QMessageBox::Warning);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.DiscIdEdit()->text(), "00000001");
    EXPECT_EQ(f.editor.doc().trackCount, 3);
    EXPECT_FALSE(f.editor.doc().modified);

    // An answer that is no record: no message, nothing lost.
    SetFetchInput(dialog, "misc", "00000002");
    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    EXPECT_EQ(boxes.seen.size(), 1u);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(f.editor.doc().trackCount, 3);
    EXPECT_EQ(f.editor.Rows(), 3);

    // A record the reader refuses: its message, an empty list, and the dialog closes.
    SetFetchInput(dialog, "misc", "00000003");
    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    ASSERT_EQ(boxes.seen.size(), 2u);
    EXPECT_EQ(boxes.seen[1].title, "Fehler");
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(f.editor.doc().trackCount, 0);
    EXPECT_EQ(f.editor.Rows(), 0);
    EXPECT_TRUE(f.editor.doc().modified);
}

// ---- Transfer dialog ---------------------------------------------------------------------

TEST(TransferDialog, ShowsItsStateAndCancelStopsTheDownloadWithoutAMessage) {
    FreeDbEditor f;
    // A record that would take many seconds to arrive.
    f.server.Serve("/gnudb/rock/7a0b1c2d", HttpReply::Slow(Record, 40));
    MessageBoxWatch boxes;
    FetchDialog dialog(f.session(), f.fonts(), &f.editor.window());
    Show(dialog);
    SetFetchInput(dialog, "rock", "7a0b1c2d");

    QPointer<TransferDialog> seen;
    bool stayedAfterCancel = false;
    bool cancelFlagSet = false;
    QRect seenFrame;
    Watcher watcher([&] {
        auto* transfer = qobject_cast<TransferDialog*>(QApplication::activeModalWidget());
        if (!transfer || transfer->StatusLine()->text() != Text(1079)) {
            return false;
        }
        seen = transfer;
        seenFrame = transfer->frameGeometry();
        transfer->CancelButton()->click();
        stayedAfterCancel = transfer->isVisible() && transfer->WorkerRunning();
        cancelFlagSet = dialog.Flags().cancelled;
        return true;
    });
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    const qint64 elapsed = clock.elapsed();

    EXPECT_TRUE(watcher.Done());
    EXPECT_TRUE(stayedAfterCancel);
    EXPECT_TRUE(cancelFlagSet);
    EXPECT_LT(elapsed, 5000);  // the record alone would take 15 s
    EXPECT_TRUE(boxes.seen.empty());
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(dialog.Flags().loaded);
    EXPECT_EQ(f.editor.doc().trackCount, 3);
    EXPECT_FALSE(f.editor.doc().modified);
    // The transfer dialog was centred over the fetch dialog.
    EXPECT_EQ(seenFrame.topLeft(), CenteredOver(dialog.frameGeometry(), seenFrame.size()));
}

TEST(TransferDialog, StartsWithTheConnectTextAndOnlyItsWorkerEndsIt) {
    FreeDbEditor f;
    TransferFlags flags;
    FetchRequest request{"rock", "7a0b1c2d"};
    {
        TransferDialog dialog(f.session(), f.fonts(), request, flags, {}, &f.editor.window());
        EXPECT_EQ(dialog.windowTitle(), "Transfer");
        EXPECT_EQ(dialog.StatusLine()->text(), " Verbinde zum Internet ...");
        EXPECT_EQ(dialog.StatusLine()->property("controlId").toInt(), 101);
        EXPECT_EQ(dialog.CancelButton()->property("controlId").toInt(), 2);
        EXPECT_EQ(dialog.CancelButton()->text(), "Abbruch");
        QStringList labels;
        for (QLabel* label : dialog.findChildren<QLabel*>()) {
            labels << label->text();
            if (label->text().isEmpty()) {
                ASSERT_NE(label->pixmap().width(), 0);  // the picture
            }
        }
        EXPECT_TRUE(labels.contains("CD Identifikation"));
        EXPECT_TRUE(labels.contains("Zugriff auf freedb"));
        EXPECT_TRUE(labels.contains("Status :"));
        // Escape and the close box only ask for a cancel; without a worker the dialog was
        // never started, so nothing else happens.
        dialog.reject();
        EXPECT_TRUE(flags.cancelled);
        EXPECT_FALSE(dialog.WorkerRunning());
    }
    // A transfer that is cancelled before its download finishes reads nothing.
    f.server.Serve("/gnudb/rock/7a0b1c2d", HttpReply::Slow(Record, 40));
    flags.Clear();
    MessageBoxWatch boxes;
    bool stayed = false;
    Watcher closer([&] {
        auto* transfer = qobject_cast<TransferDialog*>(QApplication::activeModalWidget());
        if (!transfer || !transfer->WorkerRunning()) {
            return false;
        }
        transfer->close();  // the close box
        stayed = transfer->isVisible();
        return true;
    });
    EXPECT_FALSE(RunTransfer(f.session(), f.fonts(), &f.editor.window(), request, flags));
    EXPECT_TRUE(closer.Done());
    EXPECT_TRUE(stayed);
    EXPECT_TRUE(flags.cancelled);
    EXPECT_TRUE(boxes.seen.empty());
    EXPECT_EQ(f.editor.doc().trackCount, 3);
}

// ---- Search dialog -----------------------------------------------------------------------

QStringList ListLines(QListWidget* list) {
    QStringList lines;
    for (int i = 0; i < list->count(); ++i) {
        lines << list->item(i)->text();
    }
    return lines;
}

void DoubleClickRow(QListWidget* list, int row) {
    const QRect place = list->visualItemRect(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, place.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, place.center());
}

TEST(SearchDialog, OpensWithTheIdleLineAndTheKeepBoxFromTheSettings) {
    FreeDbEditor f;
    f.editor.app().GetSettings().SearchKeep = 3;
    SearchDialog dialog(f.session(), f.fonts(), &f.editor.window(), f.Search());
    Show(dialog);
    EXPECT_EQ(dialog.windowTitle(), "FreeDB Suche");
    EXPECT_EQ(dialog.WordsEdit()->property("controlId").toInt(), 101);
    EXPECT_EQ(dialog.SearchButton()->property("controlId").toInt(), 102);
    EXPECT_EQ(dialog.ResultList()->property("controlId").toInt(), 103);
    EXPECT_EQ(dialog.StatusLine()->property("controlId").toInt(), 104);
    EXPECT_EQ(dialog.KeepOpenBox()->property("controlId").toInt(), 105);
    EXPECT_EQ(dialog.WordsEdit()->maxLength(), 200);
    EXPECT_EQ(dialog.focusWidget(), dialog.WordsEdit());
    EXPECT_TRUE(dialog.SearchButton()->isDefault());
    EXPECT_EQ(ListLines(dialog.ResultList()), QStringList{Text(1105)});
    EXPECT_FALSE(dialog.ResultList()->isEnabled());
    EXPECT_TRUE(dialog.StatusLine()->text().isEmpty());
    EXPECT_EQ(dialog.KeepOpenBox()->text(), "&Fenster offen halten");
    EXPECT_TRUE(dialog.KeepOpenBox()->isChecked());
    EXPECT_EQ(dialog.WordsEdit()->toolTip(), Text(3013));
    EXPECT_EQ(dialog.SearchButton()->toolTip(), Text(3014));
    EXPECT_EQ(dialog.ResultList()->toolTip(), Text(3015));
    EXPECT_EQ(dialog.KeepOpenBox()->toolTip(), Text(3016));
    // No Cancel button; Escape leaves the dialog open, the close box closes it.
    EXPECT_EQ(dialog.findChildren<QPushButton*>().size(), 1);
    PressKey(dialog.WordsEdit(), Qt::Key_Escape);
    EXPECT_TRUE(dialog.isVisible());
    // Blank words: the button does nothing.
    dialog.WordsEdit()->setText("   ");
    QTest::mouseClick(dialog.SearchButton(), Qt::LeftButton);
    EXPECT_TRUE(f.server.Requests().empty());
    EXPECT_EQ(ListLines(dialog.ResultList()), QStringList{Text(1105)});
    dialog.close();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(f.editor.app().GetSettings().SearchKeep, 3);
}

TEST(SearchDialog, ListsMatchingResultsShowsTheStatusAndLoadsByDoubleClick) {
    FreeDbEditor f;
    f.server.Serve("/search/Blue+Band", HttpReply::Ok(ResultPage));
    f.server.Serve("/gnudb/jazz/1234abcd", HttpReply::Ok(Record));
    f.server.Serve("/gnudb/rock/7a0b1c2d", HttpReply::Ok(Record));
    MessageBoxWatch boxes;
    SearchDialog dialog(f.session(), f.fonts(), &f.editor.window(), f.Search());
    Show(dialog);
    QListWidget* list = dialog.ResultList();

    QTest::keyClicks(dialog.WordsEdit(), "Blue Band");
    QTest::keyClick(dialog.WordsEdit(), Qt::Key_Return);  // Enter searches
    EXPECT_EQ(f.server.Requests(), std::vector<std::string>{"/search/Blue+Band"});
    EXPECT_EQ(ListLines(list), (QStringList{"Blue Band / Night Songs", "The Blue Bandits / Live",
                                            "Blue Band / Kaputt"}));
    EXPECT_TRUE(list->isEnabled());
    EXPECT_TRUE(dialog.WordsEdit()->isEnabled());
    EXPECT_TRUE(dialog.SearchButton()->isEnabled());
    EXPECT_EQ(dialog.focusWidget(), dialog.WordsEdit());
    EXPECT_TRUE(boxes.seen.empty());

    // Selecting a result shows its place, the count, its category and disc ID.
    list->setCurrentRow(1);
    EXPECT_EQ(dialog.StatusLine()->text(),
              "Suchergebnis: 2 von 3 / Kategorie: Jazz / CD-ID: 1234ABCD");

    // A result whose disc ID is none: the double-click does nothing.
    DoubleClickRow(list, 2);
    EXPECT_EQ(f.server.Requests().size(), 1u);
    EXPECT_TRUE(dialog.isVisible());

    // Keep open ticked: the record loads (asked for in lower case), the dialog stays.
    f.editor.app().GetSettings().SearchKeep = 0;
    dialog.KeepOpenBox()->setChecked(true);
    DoubleClickRow(list, 1);
    ASSERT_EQ(f.server.Requests().size(), 2u);
    EXPECT_EQ(f.server.Requests()[1], "/gnudb/jazz/1234abcd");
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(f.editor.app().GetSettings().SearchKeep, 1);
    EXPECT_EQ(f.editor.doc().trackCount, 2);
    EXPECT_EQ(f.editor.window().AlbumTitleEdit()->text(), "Night Songs");
    EXPECT_EQ(ListLines(list).size(), 3);  // the results stay

    // Enter on a selected result loads it as well (not a new search).
    ResetTrackList(f.editor.doc());
    list->setCurrentRow(1);
    PressKey(list, Qt::Key_Return);
    ASSERT_EQ(f.server.Requests().size(), 3u);
    EXPECT_EQ(f.server.Requests()[2], "/gnudb/jazz/1234abcd");
    EXPECT_EQ(f.editor.doc().trackCount, 2);
    EXPECT_TRUE(dialog.isVisible());

    // Unticked: the next load closes the dialog and stores 0.
    ResetTrackList(f.editor.doc());
    dialog.KeepOpenBox()->setChecked(false);
    DoubleClickRow(list, 0);
    EXPECT_EQ(f.server.Requests().back(), "/gnudb/rock/7a0b1c2d");
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(f.editor.app().GetSettings().SearchKeep, 0);
    EXPECT_EQ(f.editor.doc().trackCount, 2);
    EXPECT_TRUE(boxes.seen.empty());
}

TEST(SearchDialog, FailedAndEmptySearchesShowTheirDisabledLines) {
    FreeDbEditor f;
    f.server.Serve("/search/nichts", HttpReply::Ok("<html><p>Keine Treffer</p></html>\n"));
    f.server.Serve("/search/Blue+Band", HttpReply::Ok(ResultPage));
    MessageBoxWatch boxes;
    SearchDialog dialog(f.session(), f.fonts(), &f.editor.window(), f.Search());
    Show(dialog);
    QListWidget* list = dialog.ResultList();

    dialog.WordsEdit()->setText("nichts");
    QTest::mouseClick(dialog.SearchButton(), Qt::LeftButton);
    EXPECT_EQ(ListLines(list), QStringList{Text(1107)});
    EXPECT_FALSE(list->isEnabled());
    EXPECT_TRUE(boxes.seen.empty());

    // After results, a failed search goes back to the first line, with message 1104.
    dialog.WordsEdit()->setText("Blue Band");
    QTest::mouseClick(dialog.SearchButton(), Qt::LeftButton);
    list->setCurrentRow(0);
    EXPECT_FALSE(dialog.StatusLine()->text().isEmpty());
    dialog.WordsEdit()->setText("unbekannt");  // 404
    QTest::mouseClick(dialog.SearchButton(), Qt::LeftButton);
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_EQ(boxes.seen[0].text, Text(1104));
    EXPECT_EQ(boxes.seen[0].title, "Fehler");
    EXPECT_EQ(ListLines(list), QStringList{Text(1105)});
    EXPECT_FALSE(list->isEnabled());
    EXPECT_TRUE(dialog.StatusLine()->text().isEmpty());
    EXPECT_TRUE(dialog.WordsEdit()->isEnabled());
}

TEST(SearchDialog, StaysAliveWhileTheSearchRuns) {
    FreeDbEditor f;
    f.server.Serve("/search/langsam", HttpReply::Slow("cat=rock&id=7a0b1c2d\">Langsam</a>\n", 15));
    SearchDialog dialog(f.session(), f.fonts(), &f.editor.window(), f.Search());
    Show(dialog);
    dialog.WordsEdit()->setText("langsam");
    bool runningLook = false;
    int ticks = 0;
    Watcher watcher([&] {
        if (!dialog.Searching()) {
            return false;
        }
        // The event loop turns: this runs again and again while the page arrives.
        if (++ticks == 1) {
            runningLook = ListLines(dialog.ResultList()) == QStringList{Text(1106)} &&
                          !dialog.ResultList()->isEnabled() && !dialog.WordsEdit()->isEnabled() &&
                          !dialog.SearchButton()->isEnabled() &&
                          dialog.StatusLine()->text().isEmpty();
        }
        return ticks >= 5;
    });
    QTest::mouseClick(dialog.SearchButton(), Qt::LeftButton);
    EXPECT_TRUE(watcher.Done());
    EXPECT_TRUE(runningLook);
    EXPECT_EQ(ListLines(dialog.ResultList()), QStringList{"Langsam"});

    // The close box during a search stops it and closes the dialog when it has ended.
    f.server.Serve("/search/ewig", HttpReply::Slow(std::string(4000, 'x'), 20));
    dialog.WordsEdit()->setText("ewig");
    Watcher closer([&] {
        if (!dialog.Searching()) {
            return false;
        }
        dialog.close();
        return true;
    });
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(dialog.SearchButton(), Qt::LeftButton);
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_TRUE(closer.Done());
    EXPECT_FALSE(dialog.isVisible());
}

// ---- Commands ----------------------------------------------------------------------------

TEST(FreeDbCommands, MenuItemsOpenTheirDialogs) {
    Editor editor;
    ASSERT_TRUE(editor.Start());
    struct Case {
        int command;
        const char* className;
        const char* title;
    };
    for (const Case& c :
         {Case{cmd::FreeDbSearch, "tracklore::app::SearchDialog", "FreeDB Suche"},
          Case{cmd::FreeDbFetch, "tracklore::app::FetchDialog", "Lade FreeDB Trackliste"}}) {
        ModalScript script;
        script.Then([](QWidget* modal) { modal->close(); });
        editor.window().CommandAction(c.command)->trigger();
        EXPECT_TRUE(script.Finished());
        EXPECT_EQ(script.unexpected, 0);
        ASSERT_EQ(script.seen.size(), 1u);
        EXPECT_EQ(script.seen[0].className, c.className);
        EXPECT_EQ(script.seen[0].title, c.title);
    }
    // Ctrl+F reaches the search.
    ModalScript script;
    script.Then([](QWidget* modal) { modal->close(); });
    PressKey(editor.window().AlbumTitleEdit(), Qt::Key_F, Qt::ControlModifier);
    ASSERT_EQ(script.seen.size(), 1u);
    EXPECT_EQ(script.seen[0].title, "FreeDB Suche");
}

}  // namespace
}  // namespace tracklore::app::test
