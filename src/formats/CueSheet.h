#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "formats/ReadError.h"
#include "model/TrackList.h"

namespace tracklore {

// The playing time in whole seconds of the audio file a cue sheet names (the name as written
// in its FILE line), or 0 when it cannot be found or measured.
using AudioLengthProbe = std::function<int(const std::string& audioPath)>;

// What reading a cue sheet gave: the track list, or the first line it could not accept (the
// list is then empty).
struct CueSheetRead {
    TrackList list;
    std::optional<ReadError> error;
};

// Reads the text of a cue sheet. `probe` is asked for the length of the MP3 file its FILE line
// names when the sheet gives no length itself; without a probe nothing is measured (a sheet
// found inside an MP3 tag).
CueSheetRead ParseCueSheet(std::string_view text, TimeFormat format,
                           const AudioLengthProbe& probe = {});

// The cue sheet text of the document (CR LF line ends). When `audioFile` is empty it is set
// to the base name chosen for the FILE line; nothing else changes. Reading the text back gives
// the same starts, except when the first track starts before frame 150, and the same
// performers. A track that starts before the first one would get a negative INDEX time:
// callers refuse such documents first (FirstTrackBeforeCueOrigin).
std::string WriteCueSheet(TrackList& doc, TimeFormat format);

// The cue sheet text of a document as it stands (WriteCueSheet without naming the audio file).
std::string CueSheetText(const TrackList& doc, TimeFormat format);
// The base name of the FILE line: the audio file, else "artist - title", the title, the disc
// ID, or "filename".
std::string CueSheetBaseName(const TrackList& doc);

// The number (1-based) of the first track whose INDEX or PREGAP time would be negative in a
// cue sheet (it starts before frame 0, or before the first track and before frame 150), or 0
// when every time can be written.
int FirstTrackBeforeCueOrigin(const TrackList& doc);

}  // namespace tracklore
