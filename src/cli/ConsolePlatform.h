#pragma once

#include <optional>
#include <string>

#include "flows/Mp3ScanFlow.h"
#include "platform/Platform.h"

namespace tracklore::cli {

enum class AnswerMode { Ask, Yes, No };

// The platform of tracklore-cli: messages go to standard error, questions are answered by
// --yes/--no, by the user at a terminal, or by the box's default button; file dialogs hand
// over the paths given on the command line.
class ConsolePlatform : public Platform, public FragmentChooser {
  public:
    AnswerMode answerMode = AnswerMode::Ask;
    bool printFragmentRows = true;
    std::string* output = nullptr;  // standard output, printed only when the command succeeds

    // The path the next open or save dialog returns; a second dialog is cancelled, so a
    // "show the dialog again" loop ends instead of spinning.
    void PresetOpenFile(std::string path, int filterIndex = 1);
    void PresetSaveFile(std::string path, int filterIndex);
    void PresetFolder(std::string path);

    bool ErrorShown() const { return errorShown_; }

    MsgResult ShowMessage(const Message& message) override;
    std::optional<FileDialogResult> ChooseOpenFile(const FileDialogRequest& request) override;
    std::optional<FileDialogResult> ChooseSaveFile(const FileDialogRequest& request) override;
    std::optional<std::string> BrowseForFolder(const std::string& title,
                                               const std::string& startPath) override;
    std::string ReadClipboardText() override { return clipboard_; }
    void PutClipboardText(const std::string& text) override { clipboard_ = text; }
    bool ClipboardHasText() override { return !clipboard_.empty(); }
    void RefreshMainWindow() override {}
    void RefreshTrackTexts() override {}
    void UpdateTitle() override {}
    void UpdateStatusBar() override {}
    int SelectedTrack() override { return -1; }
    void SelectTrack(int) override {}
    MsgResult ChooseFragments(const std::string& heading,
                              const std::vector<FragmentRow>& rows) override;

  private:
    MsgResult Decide(const Message& message);
    std::optional<FileDialogResult> openPreset_;
    std::optional<FileDialogResult> savePreset_;
    std::optional<std::string> folderPreset_;
    std::string clipboard_;
    bool errorShown_ = false;
};

// Caption ": " text, CR LF turned into LF, converted to UTF-8.
std::string ConsoleMessageText(const std::string& caption, const std::string& text);

}  // namespace tracklore::cli
