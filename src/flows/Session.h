#pragma once

#include <initializer_list>
#include <string>

#include "model/TrackList.h"
#include "platform/Platform.h"
#include "resources/Strings.h"
#include "settings/Settings.h"

namespace tracklore {

// What an operation works on: the one document, the settings and the person at the screen.
// Lives in the application object (editor or command line); passed by reference.
struct Session {
    Session(TrackList& doc, Settings& settings, Platform& platform,
            const StringTable& strings = StringTable::German())
        : doc(doc), settings(settings), ui(platform), view(platform), strings(strings) {}
    Session(TrackList& doc, Settings& settings, UserPrompts& ui, DocumentView& view,
            const StringTable& strings)
        : doc(doc), settings(settings), ui(ui), view(view), strings(strings) {}

    TrackList& doc;
    Settings& settings;
    // The person at the screen.
    UserPrompts& ui;
    // The window that shows the document.
    DocumentView& view;
    // The texts of the user's language.
    const StringTable& strings;

    TimeFormat timeFormat() const { return settings.timeFormat(); }
    std::string Text(StringId id) const { return std::string(strings.Text(id)); }
    std::string Format(StringId id, std::initializer_list<FormatArg> args) const {
        return strings.Format(id, args);
    }
};

// Stores the modified flag; only when it changes, title and status bar are rewritten.
void SetModified(Session& session, bool modified);

// Empties the document (all fields, no tracks, untitled, kind CUE) and marks it modified.
void ClearTrackList(Session& session);

// Message box helpers. Texts come from the string table by number and are formatted with
// the arguments; the caption is a string number too.
MsgResult ShowStringMessage(Session& session, StringId textId,
                            std::initializer_list<FormatArg> args, StringId captionId,
                            MsgButtons buttons, MsgIcon icon, int defaultButton = 0);
// A warning with caption 1020 "Fehler".
void ShowError(Session& session, StringId textId, std::initializer_list<FormatArg> args = {});
// An information box with caption 1001 "Tracklore" unless another caption is given.
void ShowInfo(Session& session, StringId textId, std::initializer_list<FormatArg> args = {},
              StringId captionId = str::AppName);

}  // namespace tracklore
