#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "GuiSupport.h"
#include "ScanGuiSupport.h"
#include "app/Commands.h"
#include "app/FolderScanDialog.h"
#include "app/QtText.h"
#include "support/Mp3Album.h"

namespace tracklore::app::test {
namespace {

namespace mp3 = tracklore::test::mp3;

FolderScanDialog* FolderDialog(QWidget* modal) {
    auto* dialog = qobject_cast<FolderScanDialog*>(modal);
    if (!dialog) {
        ADD_FAILURE() << "expected the folder dialog, got " << modal->metaObject()->className();
    }
    return dialog;
}

// The five controls that a running scan disables.
std::vector<QWidget*> FiveControls(FolderScanDialog* dialog) {
    return {dialog->FolderEdit(), dialog->BrowseButton(), dialog->MaskEdit(), dialog->StartButton(),
            dialog->CancelButton()};
}

bool AllEnabled(FolderScanDialog* dialog, bool enabled) {
    for (QWidget* control : FiveControls(dialog)) {
        if (control->isEnabled() != enabled) {
            return false;
        }
    }
    return true;
}

std::string MakeFolder(const tracklore::test::TempDir& dir, const std::string& name) {
    std::filesystem::create_directories(dir.path() / name);
    return (dir.path() / name).string();
}

TEST(FolderScanDialog, OpensWithTheStoredMaskTipsAndFocus) {
    Editor editor("[State]\r\nLastFileMask=*.MP?\r\n");
    ASSERT_TRUE(editor.Start());
    const std::string folder = MakeFolder(editor.dir(), "Sammlung");
    ModalDriver driver;
    driver.Then([&](QWidget* modal) {
        FolderScanDialog* dialog = FolderDialog(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), "Scanne Ordner");
        const std::pair<int, int> tips[] = {
            {101, 3053}, {102, 3053}, {103, 3054}, {1, 3055}, {2, 3012}};
        for (auto [id, tip] : tips) {
            QWidget* control = Control(dialog, id);
            ASSERT_NE(control, nullptr) << id;
            EXPECT_EQ(control->toolTip(), Text(tip)) << id;
        }
        EXPECT_EQ(dialog->MaskEdit()->text(), "*.MP?");
        EXPECT_TRUE(dialog->FolderEdit()->text().isEmpty());
        EXPECT_EQ(QApplication::focusWidget(), dialog->FolderEdit());
        EXPECT_EQ(dialog->StartButton()->text(), "Start!");
        const QRect frame = dialog->frameGeometry();
        const QRect owner = editor.window().frameGeometry();
        EXPECT_EQ(frame.left(), owner.left() + (owner.width() - frame.width()) / 2);
        EXPECT_EQ(frame.top(), owner.top() + (owner.height() - frame.height()) / 2);
        for (QWidget* child : dialog->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            EXPECT_TRUE(dialog->rect().contains(child->geometry()));
        }

        // "..." starts the browser at the field's folder; the choice replaces the field.
        dialog->FolderEdit()->setText(FromPath(editor.dir().path().string()));
        dialog->BrowseButton()->click();
        EXPECT_EQ(dialog->FolderEdit()->text(), FromPath(folder));

        // A drop: one folder fills the field, two are refused.
        EXPECT_TRUE(DropFilesOn(dialog->FolderEdit(), {editor.dir().path().string()}));
        EXPECT_EQ(dialog->FolderEdit()->text(), FromPath(editor.dir().path().string()));
        EXPECT_TRUE(DropFilesOn(dialog, {folder, editor.settingsPath()}));
        EXPECT_EQ(dialog->FolderEdit()->text(), FromPath(editor.dir().path().string()));
        dialog->CancelButton()->click();
    });
    driver.Then([&](QWidget* modal) {
        auto* browser = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(browser, nullptr);
        EXPECT_EQ(browser->windowTitle(), Text(1095));
        EXPECT_EQ(browser->directory().absolutePath(), FromPath(editor.dir().path().string()));
        ChooseFile(modal, folder);
    });
    driver.Answer(QMessageBox::Ok);  // 1027
    editor.window().CommandAction(cmd::FolderScan)->trigger();
    EXPECT_TRUE(driver.Finished());
    ASSERT_EQ(driver.seen.size(), 3u);
    EXPECT_EQ(driver.seen[2].text, Shown(1027));
    EXPECT_EQ(driver.seen[2].title, "\u00d6ffne Datei");
    EXPECT_EQ(editor.doc().trackCount, 0);
    // The mask setting is the dialog's start value only.
    EXPECT_EQ(editor.app().GetSettings().LastFileMask, "*.MP?");
}

TEST(FolderScanDialog, PictureAmongTheFilesIsSkipped) {
    Editor editor;
    ASSERT_TRUE(editor.Start(editor.WriteCue("alt.cue", 4, 600)));
    const std::string folder = MakeFolder(editor.dir(), "Platte");
    auto write = [&](const std::string& name, const std::string& bytes) {
        std::ofstream(folder + "/" + name, std::ios::binary) << bytes;
    };
    write("01 eins.mp3", mp3::TaggedTrack(3.0, "Eins", "Band", "Platte", "1999", 17));
    write("02 zwei.mp3", mp3::TaggedTrack(4.0, "Zwei", "Band"));
    write("cover.jpg", JpegBytes());
    ModalDriver driver;
    bool disabledDuringScan = false;
    driver.Then([&](QWidget* modal) {
        FolderScanDialog* dialog = FolderDialog(modal);
        ASSERT_NE(dialog, nullptr);
        dialog->FolderEdit()->setText(FromPath(folder));
        dialog->MaskEdit()->setText("*.*");
        dialog->StartButton()->click();
    });
    driver.Then([&](QWidget* modal) {
        // The summary comes while the dialog's controls are disabled.
        auto* dialog = editor.window().findChild<FolderScanDialog*>();
        disabledDuringScan = dialog && AllEnabled(dialog, false);
        qobject_cast<QMessageBox*>(modal)->button(QMessageBox::Ok)->click();
    });
    editor.window().CommandAction(cmd::FolderScan)->trigger();
    EXPECT_TRUE(driver.Finished());
    EXPECT_TRUE(disabledDuringScan);
    ASSERT_EQ(driver.seen.size(), 2u);
    EXPECT_TRUE(driver.seen[1].text.startsWith("Trackliste erfolgreich erstellt: 2 Tracks"))
        << driver.seen[1].text.toStdString();
    EXPECT_EQ(driver.seen[1].title, "Ergebniss");
    EXPECT_EQ(driver.seen[1].icon, QMessageBox::Information);
    // The dialog closed; the document was replaced without a question.
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    const TrackList& doc = editor.doc();
    ASSERT_EQ(doc.trackCount, 2);
    EXPECT_TRUE(doc.modified);
    EXPECT_EQ(doc.cd.title, "Platte");
    EXPECT_EQ(doc.cd.artist, "Band");
    EXPECT_EQ(editor.Rows(), 2);
    EXPECT_EQ(editor.Cell(0, 2), "Eins");
    EXPECT_EQ(editor.Cell(1, 2), "Zwei");
    EXPECT_EQ(editor.Title(), "Tracklore");  // the folder's list has no file name yet
    EXPECT_EQ(editor.window().AlbumTitleEdit()->text(), "Platte");
}

TEST(FolderScanDialog, NothingUsableGivesTheControlsBack) {
    Editor editor;
    ASSERT_TRUE(editor.Start(editor.WriteCue("alt.cue", 2, 400)));
    const std::string folder = MakeFolder(editor.dir(), "Bilder");
    std::ofstream(folder + "/cover.jpg", std::ios::binary) << JpegBytes();
    ModalDriver driver;
    bool disabledDuringMessage = false;
    driver.Then([&](QWidget* modal) {
        FolderScanDialog* dialog = FolderDialog(modal);
        ASSERT_NE(dialog, nullptr);
        dialog->FolderEdit()->setText(FromPath(folder));
        dialog->MaskEdit()->setText("*.*");
        dialog->StartButton()->click();  // 1096
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_TRUE(AllEnabled(dialog, true));

        // An empty mask: nothing happens, the controls come back.
        dialog->MaskEdit()->clear();
        dialog->StartButton()->click();
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_TRUE(AllEnabled(dialog, true));
        EXPECT_EQ(driver.seen.size(), 2u);
        dialog->CancelButton()->click();
    });
    driver.Then([&](QWidget* modal) {
        auto* dialog = editor.window().findChild<FolderScanDialog*>();
        disabledDuringMessage = dialog && AllEnabled(dialog, false);
        qobject_cast<QMessageBox*>(modal)->button(QMessageBox::Ok)->click();
    });
    editor.window().CommandAction(cmd::FolderScan)->trigger();
    EXPECT_TRUE(driver.Finished());
    EXPECT_TRUE(disabledDuringMessage);
    ASSERT_EQ(driver.seen.size(), 2u);
    EXPECT_EQ(driver.seen[1].text, Shown(1096));
    EXPECT_EQ(driver.seen[1].title, "Fehler");
    EXPECT_EQ(driver.seen[1].icon, QMessageBox::Warning);
    EXPECT_EQ(editor.doc().trackCount, 2);
    EXPECT_FALSE(editor.doc().modified);
}

}  // namespace
}  // namespace tracklore::app::test
