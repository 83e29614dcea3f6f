#pragma once

#include <QObject>
#include <QStringList>

#include "app/DialogParts.h"
#include "app/ThreadHandOver.h"
#include "flows/Mp3ScanFlow.h"
#include "platform/Platform.h"

class QWidget;

namespace tracklore::app {

class MainWindow;

// The platform layer on Qt: message boxes, file dialogs, the clipboard and the main window.
// A call from another thread (the MP3 scan, the FreeDB transfer) is handed to the UI thread,
// which carries it out while the caller waits for the answer.
class QtPlatform : public QObject, public Platform, public FragmentChooser {
  public:
    QtPlatform();
    void SetMainWindow(MainWindow* window) { window_ = window; }

    MsgResult ShowMessage(const Message& message) override;
    std::optional<FileDialogResult> ChooseOpenFile(const FileDialogRequest& request) override;
    std::optional<FileDialogResult> ChooseSaveFile(const FileDialogRequest& request) override;
    std::optional<std::string> BrowseForFolder(const std::string& title,
                                               const std::string& startPath) override;
    std::string ReadClipboardText() override;
    void PutClipboardText(const std::string& text) override;
    bool ClipboardHasText() override;
    void RefreshMainWindow() override;
    void RefreshTrackTexts() override;
    void UpdateTitle() override;
    void UpdateStatusBar() override;
    int SelectedTrack() override;
    void SelectTrack(int index) override;
    MsgResult ChooseFragments(const std::string& heading,
                              const std::vector<FragmentRow>& rows) override;

    // The window a message box or dialog belongs to: the active modal dialog, else the
    // active window, else the main window; never a passing window (DialogParts.h).
    QWidget* ActiveOwner() const;

  private:
    template <typename Fn>
    auto OnUiThread(Fn&& fn) -> decltype(fn());
    std::optional<FileDialogResult> RunFileDialog(const FileDialogRequest& request, bool save);

    MainWindow* window_ = nullptr;  // cleared by the application before the window goes
    bool clipboardHasText_ = false;
    // Carries calls from other threads out on the user-interface thread.
    HandOverReceiver receiver_;
    LongTipWrapper tips_;
};

// Where a file dialog starts when no folder is remembered: the user's music folder (the
// desktop's XDG music folder) when it exists, else the home folder.
QString DefaultDocumentFolder();

// Qt's filter text of a file dialog filter: "description (pattern pattern)"; "*.*" means
// every file.
QString QtFilterText(const FileFilter& filter);
// The 0-based place of the filter a file dialog answers as chosen, whether it answers the
// filter's full text or the text it shows with the patterns hidden; -1 when none matches.
int FilterPosition(const QStringList& filters, const QString& chosen);

}  // namespace tracklore::app
