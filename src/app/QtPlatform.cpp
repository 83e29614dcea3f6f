#include "app/QtPlatform.h"

#include <future>
#include <type_traits>

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QStandardPaths>
#include <QThread>

#include "app/DialogParts.h"
#include "app/FragmentDialog.h"
#include "app/MainWindow.h"
#include "app/QtText.h"
#include "app/ThreadHandOver.h"
#include "app/UiMetrics.h"
#include "model/Text.h"

namespace tracklore::app {

namespace {

QMessageBox::Icon IconOf(MsgIcon icon) {
    switch (icon) {
        case MsgIcon::Information:
            return QMessageBox::Information;
        case MsgIcon::Warning:
            return QMessageBox::Warning;
        case MsgIcon::Question:
            return QMessageBox::Question;
        case MsgIcon::Error:
            return QMessageBox::Critical;
        case MsgIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

struct ButtonChoice {
    QMessageBox::StandardButton button;
    MsgResult result;
};

std::vector<ButtonChoice> ButtonsOf(MsgButtons buttons) {
    switch (buttons) {
        case MsgButtons::Ok:
            return {{QMessageBox::Ok, MsgResult::Ok}};
        case MsgButtons::OkCancel:
            return {{QMessageBox::Ok, MsgResult::Ok}, {QMessageBox::Cancel, MsgResult::Cancel}};
        case MsgButtons::YesNo:
            return {{QMessageBox::Yes, MsgResult::Yes}, {QMessageBox::No, MsgResult::No}};
        case MsgButtons::YesNoCancel:
            return {{QMessageBox::Yes, MsgResult::Yes},
                    {QMessageBox::No, MsgResult::No},
                    {QMessageBox::Cancel, MsgResult::Cancel}};
        case MsgButtons::AbortRetryIgnore:
            return {{QMessageBox::Abort, MsgResult::Abort},
                    {QMessageBox::Retry, MsgResult::Retry},
                    {QMessageBox::Ignore, MsgResult::Ignore}};
    }
    return {{QMessageBox::Ok, MsgResult::Ok}};
}

// German texts for the standard buttons (the program's own texts where it has them).
QString ButtonText(QMessageBox::StandardButton button) {
    switch (button) {
        case QMessageBox::Ok:
            return Text(str::AboutOk);
        case QMessageBox::Yes:
            return Text(str::ButtonYes);
        case QMessageBox::No:
            return Text(str::ButtonNo);
        case QMessageBox::Cancel:
            return Text(str::ButtonCancel);
        case QMessageBox::Abort:
            return Text(str::ButtonAbort);
        case QMessageBox::Retry:
            return Text(str::ButtonRetry);
        case QMessageBox::Ignore:
            return Text(str::ButtonIgnore);
        default:
            return QString();
    }
}

}  // namespace

QString QtFilterText(const FileFilter& filter) {
    QStringList patterns;
    for (const QString& piece : FromText(filter.pattern).split(';', Qt::SkipEmptyParts)) {
        QString pattern = piece.trimmed();
        patterns << (pattern == QStringLiteral("*.*") ? QStringLiteral("*") : pattern);
    }
    return FromText(filter.description) + QStringLiteral(" (") + patterns.join(' ') +
           QStringLiteral(")");
}

int FilterPosition(const QStringList& filters, const QString& chosen) {
    if (qsizetype exact = filters.indexOf(chosen); exact >= 0) {
        return static_cast<int>(exact);
    }
    // With the patterns hidden, Qt may answer the filter as the dialog shows it: without its
    // last parenthesised pattern list.
    for (qsizetype i = 0; i < filters.size(); ++i) {
        const QString& filter = filters[i];
        const qsizetype open = filter.lastIndexOf(QStringLiteral(" ("));
        if (open >= 0 && filter.endsWith(')') && filter.left(open).simplified() == chosen) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

QString DefaultDocumentFolder() {
    const QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    if (!music.isEmpty() && QFileInfo(music).isDir()) {
        return music;
    }
    return QDir::homePath();
}

QtPlatform::QtPlatform() {
    // Long tips of every window are shown wrapped.
    qApp->installEventFilter(&tips_);
    QClipboard* clipboard = QGuiApplication::clipboard();
    auto update = [this, clipboard] {
        const QMimeData* data = clipboard->mimeData(QClipboard::Clipboard);
        clipboardHasText_ = data && data->hasText();
        if (window_) {
            window_->UpdateEditMenuState();
        }
    };
    connect(clipboard, &QClipboard::dataChanged, this, update);
    const QMimeData* data = clipboard->mimeData(QClipboard::Clipboard);
    clipboardHasText_ = data && data->hasText();
}

template <typename Fn>
auto QtPlatform::OnUiThread(Fn&& fn) -> decltype(fn()) {
    using Result = decltype(fn());
    if (QThread::currentThread() == thread()) {
        return fn();
    }
    // A queued call that the worker waits for. Everything the call reads from the worker's
    // stack is read before the worker goes on, and the worker reads the result only after the
    // call has ended; the hand-overs say so to ThreadSanitizer too.
    std::promise<void> ended;
    std::future<void> waited = ended.get_future();
    std::conditional_t<std::is_void_v<Result>, int, Result> result{};
    PostToThreadOf(&receiver_, [&] {
        if constexpr (std::is_void_v<Result>) {
            fn();
        } else {
            result = fn();
        }
        HandOverRelease(&ended);
        ended.set_value();
    });
    waited.wait();
    HandOverAcquire(&ended);
    if constexpr (!std::is_void_v<Result>) {
        return result;
    }
}

QWidget* QtPlatform::ActiveOwner() const {
    // A progress dialog goes as soon as its job has ended, often right after the message it
    // raised: the message belongs to the window behind it.
    if (QWidget* modal = LastingWindow(QApplication::activeModalWidget())) {
        return modal;
    }
    if (QWidget* active = LastingWindow(QApplication::activeWindow())) {
        return active;
    }
    return window_;
}

MsgResult QtPlatform::ShowMessage(const Message& message) {
    return OnUiThread([&] {
        QMessageBox box(ActiveOwner());
        box.setWindowTitle(FromText(message.caption));
        box.setText(WithPlainLineBreaks(FromText(message.text)));
        box.setTextFormat(Qt::PlainText);
        box.setIcon(IconOf(message.icon));
        std::vector<ButtonChoice> choices = ButtonsOf(message.buttons);
        std::vector<QAbstractButton*> buttons;
        for (const ButtonChoice& choice : choices) {
            QAbstractButton* button = box.addButton(choice.button);
            QString text = ButtonText(choice.button);
            if (!text.isEmpty()) {
                button->setText(text);
            }
            buttons.push_back(button);
        }
        int preferred =
            message.defaultButton >= 0 && message.defaultButton < static_cast<int>(choices.size())
                ? message.defaultButton
                : 0;
        box.setDefaultButton(
            static_cast<QPushButton*>(buttons[static_cast<std::size_t>(preferred)]));
        // Escape and the close box answer as Cancel where there is one, else as the only
        // or last button.
        for (std::size_t i = 0; i < choices.size(); ++i) {
            if (choices[i].result == MsgResult::Cancel) {
                box.setEscapeButton(buttons[i]);
            }
        }
        if (!box.escapeButton()) {
            box.setEscapeButton(buttons.back());
        }
        box.exec();
        // The keyboard goes back to the window in front: the owner, or a progress dialog
        // that is still up (it hands it on to the owner when it goes).
        QWidget* front = QApplication::activeModalWidget();
        ReturnFocusTo(front ? front : box.parentWidget());
        QAbstractButton* clicked = box.clickedButton();
        for (std::size_t i = 0; i < choices.size(); ++i) {
            if (buttons[i] == clicked) {
                return choices[i].result;
            }
        }
        return choices.back().result;
    });
}

std::optional<FileDialogResult> QtPlatform::RunFileDialog(const FileDialogRequest& request,
                                                          bool save) {
    return OnUiThread([&]() -> std::optional<FileDialogResult> {
        QFileDialog dialog(ActiveOwner(), FromText(request.title));
        dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
        dialog.setOption(QFileDialog::HideNameFilterDetails, true);
        QStringList filters;
        for (const FileFilter& filter : request.filters) {
            filters << QtFilterText(filter);
        }
        dialog.setNameFilters(filters);
        if (request.filterIndex >= 1 && request.filterIndex <= filters.size()) {
            dialog.selectNameFilter(filters[request.filterIndex - 1]);
        }
        // Without a remembered folder the dialog starts in the user's music folder, not in
        // whatever folder the program was started from.
        dialog.setDirectory(request.startDir.empty() ? DefaultDocumentFolder()
                                                     : FromPath(request.startDir));
        if (!request.proposedName.empty()) {
            dialog.selectFile(FromPath(FileNamePart(request.proposedName)));
            std::string folder = DirPart(request.proposedName);
            if (!folder.empty()) {
                dialog.setDirectory(FromPath(folder));
            }
        }
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
            return std::nullopt;
        }
        FileDialogResult result;
        result.path = ToPath(dialog.selectedFiles().front());
        int index = FilterPosition(filters, dialog.selectedNameFilter());
        result.filterIndex = index >= 0 ? index + 1 : request.filterIndex;
        return result;
    });
}

std::optional<FileDialogResult> QtPlatform::ChooseOpenFile(const FileDialogRequest& request) {
    return RunFileDialog(request, false);
}

std::optional<FileDialogResult> QtPlatform::ChooseSaveFile(const FileDialogRequest& request) {
    return RunFileDialog(request, true);
}

std::optional<std::string> QtPlatform::BrowseForFolder(const std::string& title,
                                                       const std::string& startPath) {
    return OnUiThread([&]() -> std::optional<std::string> {
        QString folder =
            QFileDialog::getExistingDirectory(ActiveOwner(), FromText(title), FromPath(startPath));
        if (folder.isEmpty()) {
            return std::nullopt;
        }
        return ToPath(folder);
    });
}

std::string QtPlatform::ReadClipboardText() {
    return OnUiThread([] {
        const QMimeData* data = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
        if (!data || !data->hasText()) {
            return std::string();
        }
        return ToText(data->text());
    });
}

void QtPlatform::PutClipboardText(const std::string& text) {
    OnUiThread([&] {
        QGuiApplication::clipboard()->setText(FromText(text), QClipboard::Clipboard);
        clipboardHasText_ = true;
    });
}

bool QtPlatform::ClipboardHasText() {
    return clipboardHasText_;
}

void QtPlatform::RefreshMainWindow() {
    OnUiThread([this] {
        if (window_) {
            window_->RefreshMainWindow();
        }
    });
}

void QtPlatform::RefreshTrackTexts() {
    OnUiThread([this] {
        if (window_) {
            window_->RefreshTrackTexts();
        }
    });
}

void QtPlatform::UpdateTitle() {
    OnUiThread([this] {
        if (window_) {
            window_->UpdateTitle();
        }
    });
}

void QtPlatform::UpdateStatusBar() {
    OnUiThread([this] {
        if (window_) {
            window_->UpdateStatusBar();
        }
    });
}

int QtPlatform::SelectedTrack() {
    return OnUiThread([this] { return window_ ? window_->SelectedTrack() : -1; });
}

void QtPlatform::SelectTrack(int index) {
    OnUiThread([this, index] {
        if (window_) {
            window_->SelectTrack(index);
        }
    });
}

MsgResult QtPlatform::ChooseFragments(const std::string& heading,
                                      const std::vector<FragmentRow>& rows) {
    return OnUiThread([&] {
        QWidget* owner = ActiveOwner();
        const UiFonts fonts =
            window_ ? window_->Fonts() : MakeUiFonts(owner ? owner->logicalDpiY() : 96.0);
        FragmentDialog dialog(FromText(heading), rows, fonts, owner);
        return FragmentDialog::AnswerOf(dialog.exec());
    });
}

}  // namespace tracklore::app
