#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "formats/CueSheet.h"
#include "formats/ReadError.h"
#include "model/Encoding.h"
#include "model/TrackList.h"

namespace tracklore {

// Files of this size or larger are not opened: well above the largest document the program
// writes (99 tracks with every field full, in UTF-8).
constexpr std::uint64_t MaxDocumentBytes = 1 << 20;

// The text of a file as the readers see it: CR LF turned into LF, every line ended by LF,
// a UTF-8 byte-order mark at the start removed.
std::string DocumentTextFromBytes(const std::string& bytes);

// A document file's bytes decoded (DecodeText with the legacy code page) and made into the
// text the readers see (DocumentTextFromBytes).
DecodedText DecodeDocumentBytes(const std::string& bytes, std::string_view legacyCodePage);

// The encoding a document of `kind` is saved in. The setting (SaveEncoding*) may force UTF-8,
// UTF-8 with its mark or Windows-1252. Automatic keeps the encoding the document was read in
// when every character fits it (a UTF-16 document becomes UTF-8 with its mark, as hardly any
// program reads UTF-16 cue sheets); a new document and one that does not fit its encoding are
// Windows-1252 when every character fits, else UTF-8: with its mark for a cue sheet (burning
// programs need it), without for XMCD (as the CD database serves it).
TextEncoding DocumentSaveEncoding(const TrackList& doc, std::string_view text, int kind,
                                  int saveEncodingSetting);

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
