#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QWindow>

#include "DialogSupport.h"
#include "GuiSupport.h"
#include "app/AboutBox.h"
#include "app/Commands.h"
#include "app/Pictures.h"
#include "app/QtText.h"
#include "app/SettingsDialog.h"
#include "settings/SettingsFile.h"

namespace tracklore::app::test {
namespace {

using tracklore::test::ReadFileBytes;

const std::string CustomUrl = "http://cddb.example/read/%x/%y";

std::string IniWith(const std::string& url, int priority, int msh) {
    return "[FreeDB]\r\nURL=" + url + "\r\n[Formats]\r\nMSH=" + std::to_string(msh) +
           "\r\n[MP3Scan]\r\nPriority=" + std::to_string(priority) + "\r\n";
}

struct SettingsEditor {
    Editor editor;
    explicit SettingsEditor(const std::string& ini) : editor(ini) { EXPECT_TRUE(editor.Start()); }
    Settings& settings() { return editor.app().GetSettings(); }
    std::unique_ptr<SettingsDialog> Open() {
        auto dialog =
            std::make_unique<SettingsDialog>(editor.app().GetSession(), &editor.app().Store(),
                                             editor.app().Fonts(), &editor.window());
        dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        return dialog;
    }
    std::string File() { return ReadFileBytes(editor.settingsPath()); }
};

// ---- Settings dialog ---------------------------------------------------------------------

TEST(SettingsDialog, ShowsTheSharedSettingsLaidOutFromDialogUnits) {
    SettingsEditor f(IniWith(CustomUrl, -1, 1));
    auto dialog = f.Open();
    EXPECT_EQ(dialog->windowTitle(), "Einstellungen");
    EXPECT_EQ(dialog->UrlEdit()->text(), QString::fromStdString(CustomUrl));
    EXPECT_EQ(dialog->PriorityBar()->minimum(), -2);
    EXPECT_EQ(dialog->PriorityBar()->maximum(), 2);
    EXPECT_EQ(dialog->PriorityBar()->tickInterval(), 1);
    EXPECT_NE(dialog->PriorityBar()->tickPosition(), QSlider::NoTicks);
    EXPECT_EQ(dialog->PriorityBar()->value(), -1);
    EXPECT_EQ(dialog->PriorityLabel()->text(), "niedrig");
    EXPECT_TRUE(dialog->MshBox()->isChecked());

    // Every numbered control carries its number; the group captions are bold.
    const std::pair<QWidget*, int> ids[] = {
        {dialog->UrlEdit(), 102},       {dialog->PriorityBar(), 104},
        {dialog->PriorityLabel(), 105}, {dialog->StandardButton(), 106},
        {dialog->MshBox(), 108},        {dialog->ChaptersBox(), 111},
        {dialog->OkButton(), 1},        {dialog->CancelButton(), 2}};
    for (const auto& [widget, id] : ids) {
        EXPECT_EQ(widget->property("controlId").toInt(), id);
    }
    QStringList groups;
    for (QGroupBox* group : dialog->findChildren<QGroupBox*>()) {
        groups << group->title();
        EXPECT_TRUE(group->font().bold());
    }
    EXPECT_EQ(groups, (QStringList{"FreeDB", "MP3 Scan", "Formate", "Sprache", "CD-Datenbanken"}));
    QStringList labels;
    for (QLabel* label : dialog->findChildren<QLabel*>()) {
        labels << label->text();
    }
    EXPECT_TRUE(labels.contains("%x = Kategorie\n%y = CD-ID"));
    EXPECT_TRUE(labels.contains("FreeDB &URL:"));
    EXPECT_TRUE(labels.contains("Scan Thread &Priorit\u00e4t:"));

    EXPECT_EQ(dialog->UrlEdit()->toolTip(), Text(3005));
    EXPECT_EQ(dialog->StandardButton()->toolTip(), Text(3006));
    EXPECT_EQ(dialog->PriorityBar()->toolTip(), Text(3007));
    EXPECT_EQ(dialog->MshBox()->toolTip(), Text(3008));
    EXPECT_EQ(dialog->ChaptersBox()->toolTip(), Text(6303));
    EXPECT_EQ(dialog->ChaptersBox()->text(), Text(6302));
    EXPECT_TRUE(dialog->ChaptersBox()->isChecked());  // on unless the file says otherwise
    EXPECT_EQ(dialog->OkButton()->toolTip(), Text(3009));
    EXPECT_EQ(dialog->CancelButton()->toolTip(), Text(3010));
    EXPECT_TRUE(dialog->OkButton()->isDefault());

    // Places follow the dialog units of the dialog font.
    const DialogBaseUnits units = BaseUnitsOf(f.editor.app().Fonts().normal);
    EXPECT_EQ(dialog->size(), DialogSize(units, 243, 321));
    EXPECT_EQ(dialog->UrlEdit()->geometry(), DialogRect(units, 63, 16, 165, 12));
    EXPECT_EQ(dialog->PriorityBar()->geometry(), DialogRect(units, 87, 68, 69, 19));
    EXPECT_EQ(dialog->ChaptersBox()->geometry(), DialogRect(units, 13, 155, 216, 11));
    EXPECT_EQ(dialog->OkButton()->geometry(), DialogRect(units, 69, 302, 50, 15));

    // Every position of the bar has its name.
    const char* names[] = {"sehr niedrig", "niedrig", "normal", "hoch", "sehr hoch"};
    for (int position = -2; position <= 2; ++position) {
        dialog->PriorityBar()->setValue(position);
        EXPECT_EQ(dialog->PriorityLabel()->text(), names[position + 2]);
    }
    QTest::keyClick(dialog->PriorityBar(), Qt::Key_Left);
    EXPECT_EQ(dialog->PriorityBar()->value(), 1);
    EXPECT_EQ(dialog->PriorityLabel()->text(), "hoch");
}

TEST(SettingsDialog, StandardThenAbbruchChangesNothingStandardThenOkWritesAtOnce) {
    SettingsEditor f(IniWith(CustomUrl, 1, 0));
    const std::string before = f.File();
    {
        auto dialog = f.Open();
        QTest::mouseClick(dialog->StandardButton(), Qt::LeftButton);
        EXPECT_EQ(dialog->UrlEdit()->text(), "https://gnudb.org/gnudb/%x/%y");
        EXPECT_EQ(f.settings().URL, CustomUrl);  // nothing stored yet
        dialog->MshBox()->setChecked(true);
        QTest::mouseClick(dialog->CancelButton(), Qt::LeftButton);
        EXPECT_FALSE(dialog->isVisible());
    }
    {
        // Escape is Abbruch.
        auto dialog = f.Open();
        dialog->UrlEdit()->setText("http://anders/%x/%y");
        PressKey(dialog->UrlEdit(), Qt::Key_Escape);
        EXPECT_FALSE(dialog->isVisible());
    }
    EXPECT_EQ(f.settings().URL, CustomUrl);
    EXPECT_EQ(f.settings().MSH, 0);
    EXPECT_EQ(f.File(), before);

    auto dialog = f.Open();
    QTest::mouseClick(dialog->StandardButton(), Qt::LeftButton);
    QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(f.settings().URL, "https://gnudb.org/gnudb/%x/%y");
    EXPECT_EQ(f.settings().Priority, 1);
    // Written before the program ends; the state keys are not.
    const std::string file = f.File();
    EXPECT_NE(file.find("URL=https://gnudb.org/gnudb/%x/%y\r\n"), std::string::npos);
    EXPECT_NE(file.find("Priority=1"), std::string::npos);
    EXPECT_EQ(file.find("[State]"), std::string::npos);
}

TEST(SettingsDialog, OutOfRangeValuesAreShownSafelyAndStoredInRange) {
    SettingsEditor f(IniWith(CustomUrl, 7, 2));
    auto dialog = f.Open();
    EXPECT_EQ(dialog->PriorityBar()->value(), 2);  // the right end
    EXPECT_EQ(dialog->PriorityLabel()->text(), "normal");
    EXPECT_FALSE(dialog->MshBox()->isChecked());
    PressKey(dialog->UrlEdit(), Qt::Key_Return);  // Enter is OK
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(f.settings().Priority, 2);
    EXPECT_EQ(f.settings().MSH, 0);
    Settings reread;
    ReadSettings(reread, f.editor.settingsPath(), false);
    EXPECT_EQ(reread.Priority, 2);
    EXPECT_EQ(reread.MSH, 0);
}

TEST(SettingsDialog, AddressWithoutBothLowerCaseMarkersIsRefused) {
    SettingsEditor f(IniWith(CustomUrl, 0, 0));
    const std::string before = f.File();
    MessageBoxWatch boxes;
    auto dialog = f.Open();
    for (const char* url : {"http://h/%X/%y", "http://h/%x/%Y", "http://h/misc/%y", ""}) {
        dialog->UrlEdit()->setText(url);
        dialog->PriorityBar()->setValue(-2);
        QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
        EXPECT_TRUE(dialog->isVisible()) << url;
        EXPECT_EQ(dialog->UrlEdit()->text(), url);
    }
    ASSERT_EQ(boxes.seen.size(), 4u);
    // The text names the markers as they stand.
    EXPECT_EQ(boxes.seen[0].text, Text(1078));
    EXPECT_NE(boxes.seen[0].text.indexOf("mit Inhalt von %x und %y"), -1);
    EXPECT_EQ(boxes.seen[0].title, "Fehler");
    EXPECT_EQ(boxes.seen[0].icon, QMessageBox::Warning);
    EXPECT_EQ(f.settings().URL, CustomUrl);
    EXPECT_EQ(f.settings().Priority, 0);
    EXPECT_EQ(f.File(), before);
}

TEST(SettingsDialog, ImplausibleEmailIsRefusedAnEmptyOneIsKept) {
    SettingsEditor f(IniWith(CustomUrl, 0, 0));
    MessageBoxWatch boxes;
    auto dialog = f.Open();
    for (const char* email : {"tester", "tester@", "@example.org", "te ster@example.org"}) {
        dialog->EmailEdit()->setText(email);
        QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
        EXPECT_TRUE(dialog->isVisible()) << email;
    }
    ASSERT_EQ(boxes.seen.size(), 4u);
    EXPECT_EQ(boxes.seen[0].text, "\"tester\" ist keine E-Mail-Adresse.");
    EXPECT_TRUE(f.settings().Email.empty());
    for (const char* email : {"", "tester@example.org"}) {
        auto again = f.Open();
        again->EmailEdit()->setText(email);
        QTest::mouseClick(again->OkButton(), Qt::LeftButton);
        EXPECT_FALSE(again->isVisible()) << email;
        EXPECT_EQ(f.settings().Email, email);
    }
    EXPECT_EQ(boxes.seen.size(), 4u);
}

TEST(SettingsDialog, AnotherRunningCopySeesTheConfirmedValues) {
    SettingsEditor f(IniWith(CustomUrl, 0, 0));
    // A second copy of the program: its own settings, watching the same file.
    Settings other;
    SettingsStore otherStore(other, f.editor.settingsPath());
    otherStore.Load();
    ASSERT_EQ(other.URL, CustomUrl);
    auto dialog = f.Open();
    dialog->UrlEdit()->setText("http://neu.example/%x/%y");
    dialog->MshBox()->setChecked(true);
    dialog->ChaptersBox()->setChecked(false);
    QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return other.URL == "http://neu.example/%x/%y"; }, 3000));
    EXPECT_EQ(other.MSH, 1);
    EXPECT_EQ(other.WriteChapters, 0);
}

TEST(SettingsDialog, MenuItemOpensItAndTheNewTimeFormatShowsAtOnce) {
    Editor editor;
    ASSERT_TRUE(editor.Start(editor.WriteCue("a.cue", 2, 400)));
    // The first track lasts 3:20 and 10 frames.
    editor.doc().tracks[1].start += 10;
    editor.window().RefreshMainWindow();
    EXPECT_EQ(editor.Cell(0, 3), "3:20:10");
    ModalScript script;
    script.Then([](QWidget* modal) {
        auto* dialog = qobject_cast<SettingsDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        dialog->MshBox()->setChecked(true);
        dialog->OkButton()->click();
    });
    editor.window().CommandAction(cmd::Settings)->trigger();
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(script.unexpected, 0);
    EXPECT_EQ(editor.app().GetSettings().MSH, 1);
    EXPECT_NE(editor.Cell(0, 3), "3:20:10");  // now in hundredths
    EXPECT_NE(ReadFileBytes(editor.settingsPath()).find("MSH=1"), std::string::npos);
}

// ---- About box ---------------------------------------------------------------------------

// A mouse move without a button pressed (the test platform has no cursor to move).
void HoverAt(QWidget* widget, QPoint pos) {
    QMouseEvent move(QEvent::MouseMove, pos, widget->mapToGlobal(pos), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

struct AboutEditor {
    Editor editor;
    AboutEditor() { EXPECT_TRUE(editor.Start()); }
    std::unique_ptr<AboutBox> Open() {
        auto box = std::make_unique<AboutBox>(
            editor.app().Fonts(), "liesmich.txt",
            QUrl::fromLocalFile(QString::fromStdString(editor.readmePath())), &editor.window());
        box->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(box.get()));
        return box;
    }
};

TEST(AboutBox, IsItsPictureWithTheButtonInTheCornerCentredOverTheWindow) {
    AboutEditor f;
    const QPixmap picture = AboutPicture();
    EXPECT_EQ(picture.size(), QSize(384, 226));
    auto box = f.Open();
    EXPECT_EQ(box->windowTitle(), "\u00dcber Tracklore");
    EXPECT_EQ(box->size(), QSize(384, 226));
    const QRect ok = box->OkButton()->geometry();
    EXPECT_EQ(ok.right() + 1, 384 - 8);
    EXPECT_EQ(ok.bottom() + 1, 226 - 8);
    EXPECT_EQ(ok.size(), DialogSize(BaseUnitsOf(f.editor.app().Fonts().normal), 50, 14));
    EXPECT_EQ(box->OkButton()->property("controlId").toInt(), 1);
    EXPECT_EQ(box->OkButton()->text(), "OK");
    EXPECT_EQ(box->OkButton()->toolTip(), Text(3012));
    EXPECT_TRUE(box->OkButton()->isDefault());
    EXPECT_FALSE(box->windowFlags() & Qt::WindowCloseButtonHint);
    const QRect owner = f.editor.window().frameGeometry();
    EXPECT_EQ(box->pos(), CenteredOver(owner, box->frameGeometry().size()));

    // Escape does nothing; Enter is OK.
    PressKey(box->OkButton(), Qt::Key_Escape);
    EXPECT_TRUE(box->isVisible());
    PressKey(box->OkButton(), Qt::Key_Return);
    EXPECT_FALSE(box->isVisible());
    EXPECT_EQ(box->result(), QDialog::Accepted);
}

TEST(AboutBox, LinkHasItsHotRectangleHandCursorAndOpensOnClick) {
    AboutEditor f;
    auto box = f.Open();
    box->grab();  // drawn at least once
    const QRect hot = box->LinkRect();
    const UiFonts& fonts = f.editor.app().Fonts();
    const QFontMetrics normal(fonts.normal);
    const QFontMetrics underlined(fonts.underlined);
    EXPECT_EQ(hot.topLeft(), QPoint(normal.horizontalAdvance(Text(1172)) + 24, 182));
    EXPECT_EQ(hot.size(),
              QSize(underlined.horizontalAdvance("liesmich.txt") + 3, underlined.height() + 3));

    // The link is white on the picture; the version line grey.
    const QImage shown = box->grab().toImage();
    bool white = false;
    for (int x = hot.left(); x < hot.right() - 3 && !white; ++x) {
        for (int y = hot.top(); y < hot.bottom() - 3 && !white; ++y) {
            const QColor colour = shown.pixelColor(x, y);
            white = colour.red() > 240 && colour.green() > 240 && colour.blue() > 240;
        }
    }
    EXPECT_TRUE(white);

    HoverAt(box.get(), hot.center());
    EXPECT_EQ(box->cursor().shape(), Qt::PointingHandCursor);
    HoverAt(box.get(), QPoint(20, 20));
    EXPECT_NE(box->cursor().shape(), Qt::PointingHandCursor);

    LinkCatcher catcher("file");
    QTest::mouseClick(box.get(), Qt::LeftButton, {}, hot.bottomRight());  // the 3 pixels count
    ASSERT_EQ(catcher.urls.size(), 1);
    EXPECT_EQ(catcher.urls[0].toLocalFile(), QString::fromStdString(f.editor.readmePath()));
    QTest::mouseClick(box.get(), Qt::LeftButton, {}, hot.bottomRight() + QPoint(1, 1));
    EXPECT_EQ(catcher.urls.size(), 1);
    EXPECT_TRUE(box->isVisible());
}

TEST(AboutBox, IsDraggedByItsPicture) {
    // A real window system moves the box itself; the test platform cannot, so the box
    // follows the mouse there.
    if (QGuiApplication::platformName() != "offscreen") {
        GTEST_SKIP() << "the window system drags the box";
    }
    AboutEditor f;
    auto box = f.Open();
    const QPoint before = box->pos();
    QTest::mousePress(box.get(), Qt::LeftButton, {}, QPoint(40, 40));
    QTest::mouseMove(box.get(), QPoint(70, 55));
    QTest::mouseRelease(box.get(), Qt::LeftButton, {}, QPoint(70, 55));
    EXPECT_EQ(box->pos(), before + QPoint(30, 15));
}

TEST(AboutBox, MenuItemOpensItWithTheUserGuideAsLink) {
    Editor editor;
    ASSERT_TRUE(editor.Start());
    ModalScript script;
    QUrl link;
    script.Then([&](QWidget* modal) {
        auto* box = qobject_cast<AboutBox*>(modal);
        ASSERT_NE(box, nullptr);
        link = box->Link();
        box->OkButton()->click();
    });
    PressKey(editor.window().AlbumTitleEdit(), Qt::Key_F1, Qt::AltModifier);
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(script.unexpected, 0);
    EXPECT_EQ(link.toLocalFile(), QString::fromStdString(editor.readmePath()));
}

}  // namespace
}  // namespace tracklore::app::test
