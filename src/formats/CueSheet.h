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
// to the base name chosen for the FILE line; nothing else changes.
std::string WriteCueSheet(TrackList& doc, TimeFormat format);

}  // namespace tracklore
