#include "GuiSupport.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QMimeData>
#include <QTableView>
#include <QTest>
#include <QUrl>

namespace tracklore::app::test {

ModalResponder::ModalResponder(bool failOnUnexpected) : failOnUnexpected_(failOnUnexpected) {
    timer_.setInterval(5);
    connect(&timer_, &QTimer::timeout, this, [this] { Poll(); });
    timer_.start();
}

ModalResponder::~ModalResponder() {
    timer_.stop();
}

void ModalResponder::Then(Handler handler) {
    handlers_.push_back(std::move(handler));
}

void ModalResponder::Answer(QMessageBox::StandardButton button) {
    Then([button](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box) {
            ADD_FAILURE() << "expected a message box, got " << modal->metaObject()->className();
            if (auto* dialog = qobject_cast<QDialog*>(modal)) {
                dialog->reject();
            }
            return;
        }
        QAbstractButton* target = box->button(button);
        if (!target) {
            ADD_FAILURE() << "message box without the expected button: "
                          << box->text().toStdString();
            box->reject();
            return;
        }
        target->click();
    });
}

void ModalResponder::Take(QWidget* modal) {
    SeenModal seen_modal;
    seen_modal.className = QString::fromLatin1(modal->metaObject()->className());
    seen_modal.title = modal->windowTitle();
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        seen_modal.text = box->text();
        seen_modal.icon = box->icon();
    }
    seen.push_back(seen_modal);
    if (handlers_.empty()) {
        ++unexpected;
        if (failOnUnexpected_) {
            ADD_FAILURE() << "unexpected modal window " << seen_modal.className.toStdString() << " "
                          << seen_modal.title.toStdString() << ": "
                          << seen_modal.text.toStdString();
        }
        if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->reject();
        }
        return;
    }
    // The handler runs from its own timer: what it does may open another modal window, whose
    // event loop must still see this poll.
    Handler handler = std::move(handlers_.front());
    handlers_.pop_front();
    QPointer<QWidget> target = modal;
    QTimer::singleShot(0, this, [handler = std::move(handler), target] {
        if (target) {
            handler(target);
        }
    });
}

void ModalScript::Poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || modal == current_ || !modal->isVisible()) {
        return;
    }
    current_ = modal;
    Take(modal);
}

Editor::Editor(const std::string& iniText) {
    if (!iniText.empty()) {
        dir_.Write("tracklore.ini", iniText);
    }
    dir_.Write("liesmich.txt", "Liesmich\n");
    app_ = std::make_unique<EditorApp>(settingsPath(), readmePath());
}

Editor::~Editor() {
    app_.reset();
}

bool Editor::Start(const std::string& document) {
    bool started = app_->Start(document);
    if (started) {
        window().activateWindow();
        if (!QTest::qWaitForWindowActive(&window())) {
            ADD_FAILURE() << "the main window did not become active";
        }
    }
    return started;
}

std::string Editor::WriteCue(const std::string& name, int count, int totalSeconds) const {
    std::string text = "TITLE \"Album\"\r\nPERFORMER \"Band\"\r\n";
    if (totalSeconds > 0) {
        text += "REM Length: " + std::to_string(totalSeconds) + " seconds\r\n";
    }
    text += "FILE \"album.mp3\" MP3\r\n";
    for (int i = 0; i < count; ++i) {
        int start = i * 15000;  // relative to the first track
        char index[64];
        std::snprintf(index, sizeof index, "%02d:%02d:%02d", start / 4500, (start / 75) % 60,
                      start % 75);
        char number[16];
        std::snprintf(number, sizeof number, "%02d", i + 1);
        text += std::string("  TRACK ") + number + " AUDIO\r\n    TITLE \"Titel " +
                std::to_string(i + 1) + "\"\r\n";
        if (i == 0) {
            text += "    PREGAP 00:02:00\r\n";
        }
        text += std::string("    INDEX 01 ") + index + "\r\n";
    }
    return dir_.Write(name, text);
}

QString Editor::Cell(int row, int column) {
    auto* model = window().TrackList()->model();
    return model->data(model->index(row, column)).toString();
}

int Editor::Rows() {
    return window().TrackList()->model()->rowCount();
}

void ChooseFile(QWidget* modal, const std::string& path) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    if (!dialog) {
        ADD_FAILURE() << "expected a file dialog, got " << modal->metaObject()->className();
        return;
    }
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (!name) {
        ADD_FAILURE() << "file dialog without a name field";
        return;
    }
    name->setText(QString::fromStdString(path));
    QMetaObject::invokeMethod(dialog, "accept");
}

bool DropFilesOn(QWidget* widget, const std::vector<std::string>& paths) {
    QMimeData data;
    QList<QUrl> urls;
    for (const std::string& path : paths) {
        urls << QUrl::fromLocalFile(QString::fromStdString(path));
    }
    data.setUrls(urls);
    const QPoint where(widget->width() / 2, widget->height() / 2);
    QDragEnterEvent enter(where, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &enter);
    if (!enter.isAccepted()) {
        return false;
    }
    QDropEvent drop(where, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &drop);
    return true;
}

void PressKey(QWidget* widget, int key, Qt::KeyboardModifiers modifiers) {
    widget->setFocus();
    QTest::keyClick(widget, static_cast<Qt::Key>(key), modifiers);
}

}  // namespace tracklore::app::test
