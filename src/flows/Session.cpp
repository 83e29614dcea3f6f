#include "flows/Session.h"

namespace tracklore {

void SetModified(Session& session, bool modified) {
    if (session.doc.modified == modified) {
        return;
    }
    session.doc.modified = modified;
    session.view.UpdateTitle();
    session.view.UpdateStatusBar();
}

void ClearTrackList(Session& session) {
    ResetTrackList(session.doc);
    SetModified(session, true);
}

MsgResult ShowStringMessage(Session& session, StringId textId,
                            std::initializer_list<FormatArg> args, StringId captionId,
                            MsgButtons buttons, MsgIcon icon, int defaultButton) {
    Message message;
    message.textId = Number(textId);
    message.captionId = Number(captionId);
    message.text = session.Format(textId, args);
    message.caption = session.Text(captionId);
    message.buttons = buttons;
    message.icon = icon;
    message.defaultButton = defaultButton;
    return session.ui.ShowMessage(message);
}

void ShowError(Session& session, StringId textId, std::initializer_list<FormatArg> args) {
    ShowStringMessage(session, textId, args, str::ErrorCaption, MsgButtons::Ok, MsgIcon::Warning);
}

void ShowInfo(Session& session, StringId textId, std::initializer_list<FormatArg> args,
              StringId captionId) {
    ShowStringMessage(session, textId, args, captionId, MsgButtons::Ok, MsgIcon::Information);
}

}  // namespace tracklore
