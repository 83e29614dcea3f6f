#include "app/DocumentCommands.h"

#include "flows/DocumentFlow.h"
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

void NewDocument(Session& session) {
    if (!ConfirmDiscardChanges(session)) {
        return;
    }
    ClearTrackList(session);
    SetModified(session, false);
    session.view.RefreshMainWindow();
}

void OpenWithDialog(Session& session) {
    if (ConfirmDiscardChanges(session)) {
        ShowOpenDialog(session);
    }
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

void DropFiles(Session& session, const std::vector<std::string>& paths) {
    if (std::optional<std::string> path = SingleDroppedPath(session, paths)) {
        OpenDocument(session, *path);
    }
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
