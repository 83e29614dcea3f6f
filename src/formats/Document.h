#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "formats/CueSheet.h"
#include "formats/ReadError.h"
#include "model/TrackList.h"

namespace tracklore {

// Files of this size or larger are not opened.
constexpr std::uint64_t MaxDocumentBytes = 60000;

// The text of a file as the readers see it: CR LF turned into LF, every line ended by LF,
// a UTF-8 byte-order mark at the start removed.
std::string DocumentTextFromBytes(const std::string& bytes);

// A document text recognised by its content: XMCD when it begins with "# xmcd", else a cue
// sheet. `kind` is 0 when the cue sheet reader refused it; an XMCD record with a refused line
// keeps its kind, with the error and an empty list.
struct DocumentRead {
    int kind = 0;
    TrackList list;
    std::optional<ReadError> error;
};
DocumentRead ParseDocumentText(std::string_view text, TimeFormat format,
                               const AudioLengthProbe& probe = {});

// The name the Save and Export dialogs propose for an untitled document.
std::string ProposedDocumentName(const TrackList& doc);

}  // namespace tracklore
