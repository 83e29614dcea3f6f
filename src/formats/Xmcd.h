#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "formats/ReadError.h"
#include "model/TrackList.h"

namespace tracklore {

// What reading an XMCD record gave. `recognised` is false when the text does not begin with
// "# xmcd"; otherwise the record was read into `list`, or the first line that could not be
// accepted is in `error` and the list is empty.
struct XmcdRead {
    bool recognised = false;
    TrackList list;
    std::optional<ReadError> error;
};

XmcdRead ParseXmcd(std::string_view text);

// The XMCD text of the document (CR LF line ends).
std::string WriteXmcd(const TrackList& doc);

}  // namespace tracklore
