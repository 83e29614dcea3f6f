#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include "GuiSupport.h"
#include "app/Commands.h"
#include "app/TrackDialog.h"
#include "app/UiMetrics.h"

namespace tracklore::app::test {
namespace {

TrackDialog* AsTrackDialog(QWidget* modal) {
    auto* dialog = qobject_cast<TrackDialog*>(modal);
    if (!dialog) {
        ADD_FAILURE() << "expected the track dialog, got " << modal->metaObject()->className();
    }
    return dialog;
}

TEST(TrackEditing, InsertKeyAddsThreeMinutesAndOpensItsProperties) {
    Editor editor;
    ASSERT_TRUE(editor.Start());
    editor.window().AlbumArtistEdit()->setText("Die Band");
    ModalScript script;
    QString shownLength;
    QWidget* focused = nullptr;
    script.Then([&](QWidget* modal) {
        TrackDialog* dialog = AsTrackDialog(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), "\u00c4ndere Track Info");
        shownLength = dialog->LengthEdit()->text();
        focused = QApplication::focusWidget();
        EXPECT_EQ(focused, dialog->TitleEdit());
        dialog->TitleEdit()->setText("Ouvert\u00fcre");
        dialog->OkButton()->click();
    });
    PressKey(editor.window().TrackList(), Qt::Key_Insert);
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(shownLength, "03:00:00");
    ASSERT_EQ(editor.doc().trackCount, 1);
    EXPECT_EQ(editor.doc().tracks[0].title, "Ouvert\u00fcre");
    EXPECT_EQ(editor.doc().tracks[0].performer, "Die Band");
    EXPECT_EQ(editor.doc().tracks[0].start, 150);
    EXPECT_EQ(editor.doc().cd.totalSeconds, 182);
    EXPECT_EQ(editor.Cell(0, 2), "Ouvert\u00fcre");
    EXPECT_EQ(editor.Cell(0, 3), "3:00:00");
    EXPECT_EQ(editor.window().SelectedTrack(), 0);
    EXPECT_EQ(editor.window().focusWidget(), editor.window().TrackList());
    EXPECT_EQ(editor.window().Status()->PartText(2), "Spielzeit total: 3:02:00");
}

TEST(TrackEditing, PropertiesWarningsKeepTheDialogOpenWithFocusOnTheLength) {
    Editor editor;
    ASSERT_TRUE(editor.Start(editor.WriteCue("a.cue", 3, 500)));
    editor.window().SelectTrack(1);
    ModalScript script;
    bool focusOnLength = false;
    script.Then([&](QWidget* modal) {
        TrackDialog* dialog = AsTrackDialog(modal);
        dialog->LengthEdit()->clear();
        dialog->OkButton()->click();
    });
    script.Answer(QMessageBox::Ok);  // 1086
    script.Then([&](QWidget* modal) {
        TrackDialog* dialog = AsTrackDialog(modal);
        focusOnLength = dialog->focusWidget() == dialog->LengthEdit();
        dialog->LengthEdit()->setText("00:01:00");
        dialog->OkButton()->click();
    });
    script.Answer(QMessageBox::Ok);  // 1087
    script.Then([&](QWidget* modal) {
        TrackDialog* dialog = AsTrackDialog(modal);
        dialog->LengthEdit()->setText("1:2:3");
        QTest::keyClick(dialog->LengthEdit(), Qt::Key_Return);  // the default button
    });
    script.Answer(QMessageBox::Ok);  // 1085
    script.Then([&](QWidget* modal) {
        TrackDialog* dialog = AsTrackDialog(modal);
        EXPECT_EQ(editor.doc().trackCount, 3);
        EXPECT_FALSE(editor.doc().modified);  // nothing stored while a check fails
        dialog->LengthEdit()->setText("02:00:00");
        dialog->OkButton()->click();
    });
    PressKey(editor.window().TrackList(), Qt::Key_Return);
    EXPECT_TRUE(script.Finished());
    ASSERT_EQ(script.seen.size(), 7u);
    EXPECT_EQ(script.seen[1].text, "Nur der letzte Track kann ein leeres Spielzeit-Feld haben.");
    EXPECT_EQ(script.seen[1].title, "Fehler");
    EXPECT_EQ(script.seen[1].icon, QMessageBox::Warning);
    EXPECT_EQ(script.seen[3].text, "Du kannst keinen Track k\u00fcrzer als 2 Sekunden machen.");
    EXPECT_EQ(script.seen[5].text, "Die Spielzeit des Tracks hat ein ung\u00fcltiges Format.");
    EXPECT_TRUE(focusOnLength);
    EXPECT_EQ(TrackLength(editor.doc(), 1), 9000);
    EXPECT_EQ(editor.doc().tracks[2].start, 24150);
    EXPECT_EQ(editor.doc().cd.totalSeconds, 420);
    EXPECT_EQ(editor.Cell(1, 3), "2:00:00");
    EXPECT_EQ(editor.Cell(2, 3), "1:38:00");
    EXPECT_TRUE(editor.doc().modified);
    EXPECT_EQ(editor.window().SelectedTrack(), 1);
}

TEST(TrackEditing, DoubleClickOpensPropertiesAndEscapeChangesNothing) {
    Editor editor;
    ASSERT_TRUE(editor.Start(editor.WriteCue("a.cue", 2, 400)));
    QTableView* list = editor.window().TrackList();
    QRect cell = list->visualRect(list->model()->index(1, 1));
    ModalScript script;
    script.Then([&](QWidget* modal) {
        TrackDialog* dialog = AsTrackDialog(modal);
        auto* group = dialog->findChild<QGroupBox*>();
        ASSERT_NE(group, nullptr);
        EXPECT_EQ(group->title(), "Track 2");
        dialog->TitleEdit()->setText("ge\u00e4ndert");
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(editor.doc().tracks[1].title, "Titel 2");
    EXPECT_FALSE(editor.doc().modified);
}

TEST(TrackEditing, PropertiesDialogIsLaidOutInDialogUnitsAndCentred) {
    Editor editor;
    ASSERT_TRUE(editor.Start(editor.WriteCue("a.cue", 2)));
    editor.window().SelectTrack(1);
    ModalScript script;
    script.Then([&](QWidget* modal) {
        TrackDialog* dialog = AsTrackDialog(modal);
        const DialogBaseUnits units = BaseUnitsOf(editor.app().Fonts().normal);
        EXPECT_EQ(dialog->size(), DialogSize(units, 207, 107));
        EXPECT_EQ(dialog->LengthEdit()->geometry(), DialogRect(units, 52, 21, 46, 12));
        EXPECT_EQ(dialog->TitleEdit()->geometry(), DialogRect(units, 52, 39, 137, 12));
        EXPECT_EQ(dialog->PerformerEdit()->geometry(), DialogRect(units, 52, 56, 137, 12));
        EXPECT_EQ(dialog->OkButton()->geometry(), DialogRect(units, 56, 85, 45, 15));
        EXPECT_EQ(dialog->CancelButton()->geometry(), DialogRect(units, 106, 85, 45, 15));
        EXPECT_TRUE(dialog->OkButton()->isDefault());
        EXPECT_EQ(dialog->LengthEdit()->maxLength(), 8);
        EXPECT_EQ(dialog->TitleEdit()->maxLength(), 299);
        EXPECT_EQ(dialog->LengthEdit()->alignment() & Qt::AlignRight, Qt::AlignRight);
        EXPECT_EQ(dialog->LengthEdit()->text(), "");  // unknown length of the last track
        EXPECT_EQ(dialog->PerformerEdit()->toolTip(),
                  "Gebe den Namen des Interpreten oder der Gruppe ein. ");
        for (QLabel* label : dialog->findChildren<QLabel*>()) {
            if (label->property("controlId").toInt() == 103) {
                EXPECT_EQ(label->text(), "min:sek:frames");
            }
        }
        QRect owner = editor.window().frameGeometry();
        QRect frame = dialog->frameGeometry();
        EXPECT_EQ(frame.left(), owner.left() + (owner.width() - frame.width()) / 2);
        EXPECT_EQ(frame.top(), owner.top() + (owner.height() - frame.height()) / 2);
        dialog->CancelButton()->click();
    });
    editor.window().RunCommand(cmd::Properties);
    EXPECT_TRUE(script.Finished());
}

TEST(TrackEditing, PasteOfThreeLinesWithOneBadInsertsTwoAndReports) {
    Editor editor;
    ASSERT_TRUE(editor.Start(editor.WriteCue("a.cue", 2, 400)));
    QApplication::clipboard()->setText(
        "A\tEins\t01:00:00\r\nkaputt\t01:00:00\r\nC\tDrei\t00:30:00\r\n");
    QTest::qWait(0);
    editor.window().SelectTrack(1);
    editor.window().UpdateEditMenuState();
    ASSERT_TRUE(editor.window().CommandAction(cmd::Paste)->isEnabled());
    ModalScript script;
    script.Answer(QMessageBox::Ok);
    PressKey(editor.window().TrackList(), Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(script.seen.size(), 1u);
    EXPECT_EQ(script.seen[0].text,
              "2 Tracks erfolgreich eingef\u00fcgt. 1 von 3 Zeilen waren unzul\u00e4ssig.");
    EXPECT_EQ(script.seen[0].title, "Tracklore");
    EXPECT_EQ(script.seen[0].icon, QMessageBox::Information);
    ASSERT_EQ(editor.Rows(), 4);
    EXPECT_EQ(editor.Cell(1, 2), "Eins");
    EXPECT_EQ(editor.Cell(2, 2), "Drei");
    EXPECT_EQ(editor.Cell(3, 2), "Titel 2");
    EXPECT_EQ(editor.Cell(3, 0), " 4");
    EXPECT_EQ(editor.window().SelectedTrack(), 1);
    EXPECT_EQ(editor.window().Status()->PartText(0), "4 Track(s)");
}

TEST(TrackEditing, CutAndSwapThroughTheMenus) {
    Editor editor;
    ASSERT_TRUE(editor.Start(editor.WriteCue("a.cue", 3, 500)));
    editor.window().SelectTrack(0);
    editor.window().CommandAction(cmd::Cut)->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "Band\tTitel 1\t03:20:00\r\n");
    EXPECT_EQ(editor.Rows(), 2);
    EXPECT_EQ(editor.window().SelectedTrack(), -1);
    EXPECT_EQ(editor.doc().tracks[0].start, 150);
    EXPECT_EQ(editor.doc().cd.totalSeconds, 300);

    editor.window().CommandAction(cmd::SwapTitles)->trigger();
    EXPECT_EQ(editor.Cell(0, 1), "Titel 2");
    EXPECT_EQ(editor.Cell(0, 2), "Band");
    EXPECT_EQ(editor.Title(), "a.cue * - Tracklore");
}

TEST(TrackEditing, MoveOfTheTrackOfUnknownLengthWarnsAndKeepsFocus) {
    Editor editor;
    ASSERT_TRUE(editor.Start(editor.WriteCue("a.cue", 3)));
    editor.window().SelectTrack(2);
    ModalScript script;
    script.Answer(QMessageBox::Ok);
    PressKey(editor.window().TrackList(), Qt::Key_Up, Qt::AltModifier);
    ASSERT_EQ(script.seen.size(), 1u);
    EXPECT_EQ(script.seen[0].text,
              "Der letzte Track kann nicht bewegt werden weil er eine unbekannte Spielzeit hat. "
              "Bitte erst die Spielzeit festsetzen.");
    EXPECT_EQ(editor.Cell(2, 2), "Titel 3");
    EXPECT_FALSE(editor.doc().modified);
}

}  // namespace
}  // namespace tracklore::app::test
