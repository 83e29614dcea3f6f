#pragma once

#include <optional>
#include <string>

#include "flows/Session.h"
#include "formats/Document.h"

namespace tracklore {

// Reads the file at `path` into the document, recognising the format by its content (XMCD
// first, then CUE). True when a reader accepted it; on failure the user has been told.
bool OpenDocument(Session& session, const std::string& path);

// Recognises and reads a document text (XMCD first, then CUE; `directory` is the folder of
// its file). Returns the kind read, or 0 when neither reader accepted it (the CUE reader's
// message has then been shown). Shows no message of its own and sets no document state.
int ReadDocumentText(Session& session, const std::string& text, const std::string& directory);

// The Open command's file dialog, then OpenDocument. True when a document was opened.
bool ShowOpenDialog(Session& session);

// The bytes of a text in an encoding; when a character does not fit, message
// CharacterNotInEncoding names it and the encoding, and nothing comes back.
std::optional<std::string> EncodeForSaving(Session& session, std::string_view text,
                                           const TextEncoding& encoding);

// Save (saveAs false) or Save As (true). True when the file was written.
bool SaveDocument(Session& session, bool saveAs);

// The save-file dialog loop shared by Save As and Export: shows the dialog, remembers its
// folder in LastDir and its filter in `filterSetting`, appends the filter's extension to a
// name without one, and asks before an existing file is replaced (No shows the dialog again).
// std::nullopt when the user cancels.
std::optional<FileDialogResult> ChooseSaveTarget(Session& session, FileDialogRequest request,
                                                 int& filterSetting,
                                                 const char* (*extensionFor)(int filterIndex));

}  // namespace tracklore
