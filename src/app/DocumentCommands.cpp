#include "app/DocumentCommands.h"

#include "flows/DocumentFlow.h"
#include "model/Encoding.h"
#include "model/SafeFile.h"
#include "model/Text.h"

namespace tracklore::app {

namespace {}  // namespace

bool ConfirmDiscardChanges(Session& session) {
    if (!session.doc.modified) {
        return true;
    }
    MsgResult answer = ShowStringMessage(session, str::ConfirmDiscard, {}, str::ConfirmCaption,
                                         MsgButtons::YesNoCancel, MsgIcon::Warning);
    switch (answer) {
        case MsgResult::Yes:
            return SaveDocument(session, false);
        case MsgResult::No:
            return true;
        default:
            return false;
    }
}

void StartNewDocument(Session& session) {
    ClearTrackList(session);
    SetModified(session, false);
    session.view.RefreshMainWindow();
}

bool OpenRecentDocument(Session& session, const std::string& path,
                        const std::function<bool()>& confirm) {
    if (!FileExists(path)) {
        ShowStringMessage(session, str::RecentFileMissing, {FileNameText(path)}, str::OpenCaption,
                          MsgButtons::Ok, MsgIcon::Warning);
        RemoveRecentFile(session.settings.RecentFiles, path);
        return false;
    }
    return confirm() && OpenDocument(session, path);
}

std::optional<std::string> SingleDroppedPath(Session& session,
                                             const std::vector<std::string>& paths) {
    if (paths.empty()) {
        return std::nullopt;
    }
    if (paths.size() > 1) {
        ShowStringMessage(session, str::DropOnlyOne, {}, str::OpenCaption, MsgButtons::Ok,
                          MsgIcon::Warning);
        return std::nullopt;
    }
    return paths.front();
}

bool DropFiles(Session& session, const std::vector<std::string>& paths) {
    std::optional<std::string> path = SingleDroppedPath(session, paths);
    return path && OpenDocument(session, *path);
}

std::string CommandLineDocument(int argc, const char* const* argv) {
    std::string tail;
    for (int i = 1; i < argc; ++i) {
        if (!tail.empty()) {
            tail += ' ';
        }
        tail += argv[i];
    }
    return tail.empty() ? tail : Unquote(tail);
}

}  // namespace tracklore::app
