#pragma once

#include <string>
#include <string_view>

#include "platform/Session.h"

namespace tracklore {

// Reads an XMCD record into the document. False only when the text does not begin with
// "# xmcd" (the document is emptied all the same). True otherwise: the record was read, or
// an error was shown and the document is empty.
bool ReadXmcd(Session& session, std::string_view text);

// The XMCD text of the document (CR LF line ends).
std::string WriteXmcd(const TrackList& doc);

}  // namespace tracklore
