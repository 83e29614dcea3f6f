#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "model/TrackList.h"
#include "resources/Strings.h"

namespace tracklore {

// The arithmetic and texts of track editing: limits, the clipboard form of a track, the
// checks of the track properties dialog. The commands themselves are flows
// (flows/EditingCommands.h).

// The length a new track gets from the Insert command: three minutes.
constexpr std::int32_t NewTrackLength = 3 * 60 * FramesPerSecond;
// The shortest length the properties dialog lets a track have: two seconds.
constexpr std::int32_t MinTrackLength = 2 * FramesPerSecond;
// Paste reads the clipboard only when its text block (text plus terminator) is smaller.
constexpr std::size_t ClipboardBlockLimit = 2048;

// One line of the clipboard form: performer TAB title TAB length CR LF, the length as
// FormatTime or "(bis EOF)" when it is not known.
std::string TrackClipboardText(const TrackList& doc, int index, TimeFormat format,
                               const StringTable& strings);
// The clipboard text as Paste sees it: empty when the text block is too large.
std::string LimitClipboardText(std::string text);

// The track properties dialog: what it shows on opening, and the checks and arithmetic of
// its OK button.
struct TrackProperties {
    int number = 0;                               // 1-based, for the group box text
    std::string lengthText;                       // empty when the length is not known
    std::int32_t originalLength = UnknownLength;  // the length when the dialog opened
    StringId lengthLabelId = StringId::None;      // the unit label beside the length
    std::string title;
    std::string performer;
};
TrackProperties LoadTrackProperties(const TrackList& doc, int index, TimeFormat format);

// The fields as the user left them.
struct TrackPropertiesEdit {
    std::string lengthText;
    std::string title;
    std::string performer;
};

// Checks the edited fields against track `index`: None when they may be stored, otherwise the
// warning to show (BadLength, EmptyLengthNotLast before the last track, TrackTooShort under
// two seconds). `length` receives the parsed length.
StringId CheckTrackProperties(const TrackList& doc, int index, const TrackProperties& shown,
                              const TrackPropertiesEdit& edit, TimeFormat format,
                              std::int32_t* length = nullptr);

// floor(frames / 75 + 0.5): a frame count as whole seconds, rounded half up.
std::int32_t NearestSeconds(double frames);

}  // namespace tracklore
