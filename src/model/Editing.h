#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "flows/Session.h"
#include "model/TrackList.h"

namespace tracklore {

// The editing commands of the track list. Every command works on the track selected in the
// main window's list (Platform::SelectedTrack) and keeps the list consistent: starts are
// absolute and lengths derived, so inserting, deleting, moving or re-timing a track shifts
// the starts after it, and the total follows the end of the last track.

// The length a new track gets from the Insert command: three minutes.
constexpr std::int32_t NewTrackLength = 3 * 60 * FramesPerSecond;
// The shortest length the properties dialog lets a track have: two seconds.
constexpr std::int32_t MinTrackLength = 2 * FramesPerSecond;
// Paste reads the clipboard only when its text block (text plus terminator) is smaller.
constexpr std::size_t ClipboardBlockLimit = 2048;

// The record InsertTrack takes. Texts longer than a track's fields are cut.
struct NewTrack {
    std::string title;
    std::string performer;
    std::int32_t length = UnknownLength;
};

// Inserts before the selected track, or appends when none is selected. Changes only the
// list and its disc ID (no refresh, no modified mark). Returns the new index, or -1 when
// nothing was inserted; `quiet` suppresses the warnings for a full list and for an unknown
// length before other tracks, never the one for a last track of unknown length.
int InsertTrack(Session& session, const NewTrack& track, bool quiet);

// The commands. Each refreshes the window and sets the modified mark itself.
// Insert new track: returns the new track's index (the caller then opens its properties
// dialog), or -1 when nothing was inserted.
int InsertNewTrack(Session& session);
void CutTrack(Session& session);
void CopyTrack(Session& session);
void PasteTracks(Session& session);
void DeleteTrack(Session& session);
// Move up and down: false when a warning stopped the command (the focus then stays where
// it is); true when the keyboard focus should go to the track list.
bool MoveTrackUp(Session& session);
bool MoveTrackDown(Session& session);
void SwapTitles(Session& session);

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

// OK: checks; on a failure calls `focusLength` (the dialog puts the focus on the length
// field), warns and returns false with the document unchanged. Otherwise stores the length
// (shifting later starts and the total), title and performer, marks the document modified,
// refreshes the track texts and returns true.
bool ConfirmTrackProperties(Session& session, int index, const TrackProperties& shown,
                            const TrackPropertiesEdit& edit,
                            const std::function<void()>& focusLength = {});

// floor(frames / 75 + 0.5): a frame count as whole seconds, rounded half up.
std::int32_t NearestSeconds(double frames);

}  // namespace tracklore
