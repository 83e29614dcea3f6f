#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tracklore {

enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel, AbortRetryIgnore };
enum class MsgIcon { None, Information, Warning, Question, Error };
// Values of the platform's button identifiers, so that "6 (Yes)" reads the same everywhere.
enum class MsgResult { Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

// One message box. Texts are Windows-1252. textId and captionId name the string-table
// entries the texts came from (0 for a system text), so tests can check messages by number.
struct Message {
    int textId = 0;
    int captionId = 0;
    std::string text;
    std::string caption;
    MsgButtons buttons = MsgButtons::Ok;
    MsgIcon icon = MsgIcon::Warning;
    int defaultButton = 0;  // 0-based position of the default button

    // The answer a box gives when nobody decides: its default button.
    MsgResult DefaultAnswer() const;
};

struct FileFilter {
    std::string description;
    std::string pattern;  // "*.cue;*.xmcd"
};

// Parses a "description|pattern|description|pattern" list from the string table.
std::vector<FileFilter> ParseFilterList(const std::string& text);

struct FileDialogRequest {
    int titleId = 0;
    std::string title;
    std::vector<FileFilter> filters;
    int filterIndex = 1;  // 1-based, as stored in the settings
    std::string startDir;
    std::string proposedName;
    bool fileMustExist = false;  // open dialogs
};

struct FileDialogResult {
    std::string path;     // full path, as the platform names files
    int filterIndex = 1;  // the filter the user left selected
};

// What the flows ask of the person using the program: messages, file and folder choosers,
// the clipboard. Implementations: the Qt editor, the console of tracklore-cli, and a scripted
// one for tests. Calls may come from a job's thread (the questions of the MP3 scan); an
// implementation with a UI thread hands them over and returns the answer.
class UserPrompts {
  public:
    virtual ~UserPrompts() = default;

    // Message boxes; returns the button pressed.
    virtual MsgResult ShowMessage(const Message& message) = 0;

    // File choosers; std::nullopt when the user cancels.
    virtual std::optional<FileDialogResult> ChooseOpenFile(const FileDialogRequest& request) = 0;
    virtual std::optional<FileDialogResult> ChooseSaveFile(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> BrowseForFolder(const std::string& title,
                                                       const std::string& startPath) = 0;

    // Clipboard (plain text, Windows-1252).
    virtual std::string ReadClipboardText() = 0;
    virtual void PutClipboardText(const std::string& text) = 0;
    virtual bool ClipboardHasText() = 0;
};

// What the flows tell the view of the document (the main window) after a change, and the
// selection they work on. The document's modified flag is kept by SetModified (Session.h),
// which calls UpdateTitle and UpdateStatusBar when the flag changes.
class DocumentView {
  public:
    virtual ~DocumentView() = default;

    virtual void RefreshMainWindow() = 0;
    virtual void RefreshTrackTexts() = 0;
    virtual void UpdateTitle() = 0;
    virtual void UpdateStatusBar() = 0;
    virtual int SelectedTrack() = 0;
    virtual void SelectTrack(int index) = 0;
};

// Both, as the editor, the console and the tests provide them.
class Platform : public UserPrompts, public DocumentView {};

}  // namespace tracklore
