#pragma once

#include <string>

#include "platform/Session.h"

namespace tracklore {

// Files of this size or larger are not opened.
constexpr std::uint64_t MaxDocumentBytes = 60000;

// Reads the file at `path` into the document, recognising the format by its content (XMCD
// first, then CUE). True when a reader accepted it; on failure the user has been told.
bool OpenDocument(Session& session, const std::string& path);

// Recognises and reads a document text (XMCD first, then CUE; `directory` is the folder of
// its file). Returns the kind read, or 0 when neither reader accepted it (the CUE reader's
// message has then been shown). Shows no message of its own and sets no document state.
int ReadDocumentText(Session& session, const std::string& text, const std::string& directory);

// The Open command's file dialog, then OpenDocument. True when a document was opened.
bool ShowOpenDialog(Session& session);

// Save (saveAs false) or Save As (true). True when the file was written.
bool SaveDocument(Session& session, bool saveAs);

// The text of a file as the readers see it: CR LF turned into LF, every line ended by LF,
// a UTF-8 byte-order mark at the start removed.
std::string DocumentTextFromBytes(const std::string& bytes);

// The name the Save and Export dialogs propose for an untitled document.
std::string ProposedDocumentName(const TrackList& doc);

}  // namespace tracklore
