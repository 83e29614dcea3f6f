#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "flows/Session.h"

namespace tracklore::app {

// The document commands of the main window, free of any toolkit so they can be tested with
// the scripted platform.

// True when the caller may go on and discard or replace the document. With unsaved changes
// asks (Yes saves first and goes on only when the save succeeded, No drops the changes,
// Cancel stops).
bool ConfirmDiscardChanges(Session& session);

// New (the caller asked the question first): an empty, untitled, unmodified document.
void StartNewDocument(Session& session);

// Files dropped on the main window: exactly one is opened without the question; two or
// more are refused with a warning. True when the document was opened.
bool DropFiles(Session& session, const std::vector<std::string>& paths);

// A document of the list of recent files. One that no longer exists is taken out of the list
// with message RecentFileMissing (caption OpenCaption) and false comes back; otherwise,
// after the question (`confirm`, as for Open), it is opened. True when it was opened.
bool OpenRecentDocument(Session& session, const std::string& path,
                        const std::function<bool()>& confirm);

// The one path of a drop (on the main window or a dialog). Two or more paths are refused
// with message 1027 (caption 1023 "Öffne Datei", warning); nothing when the drop carried no
// path.
std::optional<std::string> SingleDroppedPath(Session& session,
                                             const std::vector<std::string>& paths);

// The document named on the command line: the arguments after the program name joined by
// single blanks, with surrounding quotes removed (an unquoted path with blanks is taken whole).
std::string CommandLineDocument(int argc, const char* const* argv);

}  // namespace tracklore::app
