#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "formats/ReadError.h"
#include "model/TrackList.h"

namespace tracklore {

// The playing time in seconds of an audio file a cue sheet names (the name as written in its
// FILE line), or a negative value when it cannot be found or measured.
using AudioLengthProbe = std::function<double(const std::string& audioPath)>;

// What reading a cue sheet gave: the track list, or the first line it could not accept (the
// list is then empty).
struct CueSheetRead {
    TrackList list;
    std::optional<ReadError> error;
};

// Reads the text of a cue sheet. `probe` is asked for the length of the audio file its FILE
// line names when the sheet gives no length itself, and, for a sheet with several FILE lines,
// for the length of each file (they place the files on the disc); without a probe nothing is
// measured (a sheet found inside an MP3 tag).
CueSheetRead ParseCueSheet(std::string_view text, TimeFormat format,
                           const AudioLengthProbe& probe = {});

// The cue sheet text of the document (CR LF line ends). When `audioFile` is empty it is set
// to the base name chosen for the FILE line; nothing else changes. Reading the text back gives
// the same starts, except when the first track starts before frame 150, and the same
// performers. A track that starts before the first one would get a negative INDEX time:
// callers refuse such documents first (FirstTrackBeforeCueOrigin).
std::string WriteCueSheet(TrackList& doc, TimeFormat format);

// Which FILE lines a cue sheet gets: the document's own (the one a read sheet had, else one
// named after the audio file), or always the single line naming the audio file as an MP3 (the
// sheet inside an MP3 file's tag, which names that file).
enum class CueFileLines { Own, AudioFile };

// The cue sheet text of a document as it stands (WriteCueSheet without naming the audio file).
// Lines the document kept from a read sheet are written back in their places.
std::string CueSheetText(const TrackList& doc, TimeFormat format,
                         CueFileLines fileLines = CueFileLines::Own);
// The base name of the FILE line: the audio file, else "artist - title", the title, the disc
// ID, or "filename".
std::string CueSheetBaseName(const TrackList& doc);

// The number (1-based) of the first track whose INDEX or PREGAP time would be negative in a
// cue sheet (it starts before frame 0, or before the first track and before frame 150), or 0
// when every time can be written.
int FirstTrackBeforeCueOrigin(const TrackList& doc);

}  // namespace tracklore
