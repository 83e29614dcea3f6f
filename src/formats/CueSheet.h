#pragma once

#include <string>
#include <string_view>

#include "platform/Session.h"

namespace tracklore {

// Reads a cue sheet into the document. `directory` is the folder of the sheet's file (with
// or without a trailing separator) and is used to measure the named MP3 file when the sheet
// gives no length; an empty directory (a sheet found inside an MP3 tag) measures nothing.
// On the first line it cannot accept it shows one message, empties the document and
// returns false.
bool ReadCueSheet(Session& session, std::string_view text, const std::string& directory);

}  // namespace tracklore

namespace tracklore {

// The cue sheet text of the document (CR LF line ends). When `audioFile` is empty it is set
// to the base name chosen for the FILE line; nothing else changes. Reading the text back gives
// the same starts, except when the first track starts before frame 150, and the same
// performers. A track that starts before the first one would get a negative INDEX time:
// callers refuse such documents with CheckCueSheetTimes first.
std::string WriteCueSheet(TrackList& doc, TimeFormat format);

// The number (1-based) of the first track whose INDEX or PREGAP time would be negative in a
// cue sheet (it starts before frame 0, or before the first track and before frame 150), or 0
// when every time can be written.
int FirstTrackBeforeCueOrigin(const TrackList& doc);

// Shows message 6100 naming that track and returns false when the document cannot be written
// as a cue sheet; true otherwise.
bool CheckCueSheetTimes(Session& session);

}  // namespace tracklore
