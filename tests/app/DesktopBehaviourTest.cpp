#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <memory>

#include "GuiSupport.h"
#include "app/Commands.h"
#include "app/DialogParts.h"
#include "app/FetchDialog.h"
#include "app/FolderScanDialog.h"
#include "app/LinkLabel.h"
#include "app/Mp3ScanDialog.h"

namespace tracklore::app::test {
namespace {

// A message raised while a progress dialog is up belongs to the window behind it, with Yes as
// the default of a question; the progress dialog may go right after it.
TEST(DesktopBehaviour, MessageOfBackgroundWorkBelongsToTheWindowBehindTheProgress) {
    Editor editor;
    ASSERT_TRUE(editor.Start());
    QDialog owner(&editor.window());
    owner.open();
    QDialog progress(&owner);
    MarkAsPassing(&progress);
    progress.open();
    ModalScript script;
    QWidget* parent = nullptr;
    QString defaultText;
    script.Then([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        parent = box->parentWidget();
        defaultText = box->defaultButton()->text();
        box->defaultButton()->click();
    });
    Message question;
    question.text = "?";
    question.buttons = MsgButtons::YesNoCancel;
    EXPECT_EQ(editor.app().Ui().ShowMessage(question), MsgResult::Yes);
    EXPECT_EQ(parent, &owner);
    EXPECT_EQ(defaultText, Text(str::ButtonYes));
}

// With a wider face than the one the dialogs were drawn for, every label still shows its
// whole text before the control after it.
TEST(DesktopBehaviour, LabelsEndBeforeTheirControlsInEveryFace) {
    Editor editor;
    ASSERT_TRUE(editor.Start());
    Session& session = editor.app().GetSession();
    for (const char* face : {"DejaVu Sans", "Liberation Sans", "DejaVu Sans Mono"}) {
        UiFonts fonts = editor.app().Fonts();
        for (QFont* font : {&fonts.normal, &fonts.bold, &fonts.underlined}) {
            font->setFamily(QString::fromLatin1(face));
            font->setPixelSize(13);
        }
        std::vector<std::unique_ptr<QDialog>> dialogs;
        dialogs.push_back(std::make_unique<FetchDialog>(session, fonts, &editor.window()));
        dialogs.push_back(std::make_unique<FolderScanDialog>(session, fonts, &editor.window()));
        dialogs.push_back(std::make_unique<Mp3ScanDialog>(session, fonts, &editor.window()));
        for (auto& dialog : dialogs) {
            dialog->show();
            EXPECT_EQ(BaseUnitsOf(dialog->font()).x, BaseUnitsOf(fonts.normal).x);
            for (QLabel* label : dialog->findChildren<QLabel*>()) {
                QWidget* buddy = label->buddy();
                if (buddy && buddy->y() < label->geometry().bottom()) {  // on the label's row
                    EXPECT_LE(label->x() + label->sizeHint().width(), buddy->x())
                        << face << ": " << label->text().toStdString();
                }
            }
            dialog->hide();
        }
    }
}

TEST(DesktopBehaviour, LinkColourIsReadableOnLightAndDarkFaces) {
    struct Face {
        QColor window;
        QColor link;
        QColor expected;
    };
    const Face faces[] = {{QColor(240, 240, 240), QColor(0, 0, 255), QColor(0, 0, 128)},
                          {QColor(200, 200, 200), QColor(0, 0, 255), QColor(0, 0, 128)},
                          {QColor(53, 53, 53), QColor(42, 130, 218), QColor(42, 130, 218)},
                          {QColor(0, 0, 0), QColor(120, 170, 255), QColor(120, 170, 255)}};
    for (const Face& face : faces) {
        QPalette palette;
        palette.setColor(QPalette::Window, face.window);
        palette.setColor(QPalette::Link, face.link);
        EXPECT_EQ(LinkColourOn(palette), face.expected) << face.window.name().toStdString();
        // A link on that face.
        QWidget dialog;
        dialog.setPalette(palette);
        LinkLabel link(QStringLiteral("https://example.org"), QFont(), &dialog);
        EXPECT_EQ(link.palette().color(QPalette::WindowText), face.expected);
    }
}

TEST(DesktopBehaviour, GenreListOpensAtTheGenreShown) {
    Editor editor;
    ASSERT_TRUE(editor.Start());
    QComboBox* genre = editor.window().GenreBox();
    for (const QString& shown : {QStringLiteral("Rock"), QStringLiteral("jazz")}) {
        genre->setEditText(shown);
        genre->showPopup();
        EXPECT_EQ(genre->view()->currentIndex().data().toString().toLower(), shown.toLower());
        genre->hidePopup();
        EXPECT_EQ(genre->currentText(), shown);  // the field keeps what was typed
    }
    // Opened with a click on its arrow and closed with Escape, the list changes nothing: the
    // document is not marked modified.
    editor.doc().cd.genre = "Pop";
    editor.doc().modified = false;
    genre->setEditText(QStringLiteral("Pop"));
    QTest::mouseClick(genre, Qt::LeftButton, {}, QPoint(genre->width() - 5, genre->height() / 2));
    ASSERT_TRUE(genre->view()->isVisible());
    QTest::keyClick(genre->view(), Qt::Key_Escape);
    EXPECT_FALSE(genre->view()->isVisible());
    EXPECT_EQ(genre->currentText(), QStringLiteral("Pop"));
    EXPECT_FALSE(editor.doc().modified);
}

TEST(DesktopBehaviour, SaveDialogStartsInTheMusicFolderWithoutARememberedOne) {
    Editor editor;
    ASSERT_TRUE(editor.Start());
    const std::string config = editor.dir().file("config");
    const std::string music = editor.dir().file("Musik");
    std::filesystem::create_directories(config);
    editor.dir().Write("config/user-dirs.dirs", "XDG_MUSIC_DIR=\"" + music + "\"\n");
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config));
    // Without the music folder the home folder; with it the music folder.
    for (bool exists : {false, true}) {
        if (exists) {
            std::filesystem::create_directories(music);
        }
        ModalScript script;
        QString start;
        script.Then([&](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            ASSERT_NE(dialog, nullptr);
            start = dialog->directory().absolutePath();
            dialog->reject();
        });
        editor.window().CommandAction(cmd::SaveAs)->trigger();
        EXPECT_EQ(start, exists ? QString::fromStdString(music) : QDir::homePath());
    }
    qunsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace tracklore::app::test
