#pragma once

#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "flows/Mp3ScanFlow.h"
#include "platform/Platform.h"

namespace tracklore {

// A platform for tests: records every message and main-window call, and answers every
// question and file dialog from a script. An unscripted question takes the box's default
// button; an unscripted file dialog is cancelled. Safe to call from a worker thread.
class ScriptedPlatform : public Platform, public FragmentChooser {
  public:
    // Script
    void AnswerNext(MsgResult answer);
    void OpenFileNext(std::optional<FileDialogResult> result);
    void SaveFileNext(std::optional<FileDialogResult> result);
    void FolderNext(std::optional<std::string> folder);
    void FragmentAnswerNext(MsgResult answer);
    void SetSelection(int index) { selected_ = index; }
    void SetClipboard(std::string text) {
        clipboard_ = std::move(text);
        clipboardHasText_ = true;
    }

    // Record
    std::vector<Message> messages;
    std::vector<FileDialogRequest> openRequests;
    std::vector<FileDialogRequest> saveRequests;
    std::vector<std::string> folderRequests;
    std::vector<std::vector<FragmentRow>> fragmentDialogs;
    std::vector<std::string> fragmentHeadings;
    int refreshCount = 0;
    int trackTextRefreshCount = 0;
    int titleUpdates = 0;
    int statusUpdates = 0;

    // The string numbers of the messages shown, in order.
    std::vector<int> MessageIds() const;
    const std::string& Clipboard() const { return clipboard_; }

    // Platform
    MsgResult ShowMessage(const Message& message) override;
    std::optional<FileDialogResult> ChooseOpenFile(const FileDialogRequest& request) override;
    std::optional<FileDialogResult> ChooseSaveFile(const FileDialogRequest& request) override;
    std::optional<std::string> BrowseForFolder(const std::string& title,
                                               const std::string& startPath) override;
    std::string ReadClipboardText() override;
    void PutClipboardText(const std::string& text) override;
    bool ClipboardHasText() override { return clipboardHasText_; }
    void RefreshMainWindow() override;
    void RefreshTrackTexts() override;
    void UpdateTitle() override;
    void UpdateStatusBar() override;
    int SelectedTrack() override { return selected_; }
    void SelectTrack(int index) override { selected_ = index; }
    MsgResult ChooseFragments(const std::string& heading,
                              const std::vector<FragmentRow>& rows) override;

  private:
    std::mutex mutex_;
    std::deque<MsgResult> answers_;
    std::deque<std::optional<FileDialogResult>> openAnswers_;
    std::deque<std::optional<FileDialogResult>> saveAnswers_;
    std::deque<std::optional<std::string>> folderAnswers_;
    std::deque<MsgResult> fragmentAnswers_;
    std::string clipboard_;
    bool clipboardHasText_ = false;
    int selected_ = -1;
};

}  // namespace tracklore
