#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "flows/Session.h"
#include "model/Editing.h"

namespace tracklore {

// The editing commands of the track list. Every command works on the track selected in the
// main window's list (DocumentView::SelectedTrack) and keeps the list consistent: starts are
// absolute and lengths derived, so inserting, deleting, moving or re-timing a track shifts
// the starts after it, and the total follows the end of the last track.

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

// OK: checks; on a failure calls `focusLength` (the dialog puts the focus on the length
// field), warns and returns false with the document unchanged. Otherwise stores the length
// (shifting later starts and the total), title and performer, marks the document modified,
// refreshes the track texts and returns true.
bool ConfirmTrackProperties(Session& session, int index, const TrackProperties& shown,
                            const TrackPropertiesEdit& edit,
                            const std::function<void()>& focusLength = {});

}  // namespace tracklore
