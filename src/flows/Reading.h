#pragma once

#include <string>
#include <string_view>

#include "flows/Session.h"
#include "formats/CueSheet.h"
#include "formats/ReadError.h"

namespace tracklore {

// Shows the message of a line a reader could not accept.
void ShowReadError(Session& session, const ReadError& error);

// Measures the MP3 file that a cue sheet in `directory` names: as written when that is an
// absolute path, else beside the sheet as written, else by its bare file name beside the
// sheet. An empty directory gives no probe (nothing is measured).
AudioLengthProbe MeasureBeside(const std::string& directory);

// Replaces the document by `list` (a new, modified document, as an import leaves it).
void ApplyTrackList(Session& session, const TrackList& list);

// Reads a cue sheet into the document, measuring the MP3 file it names beside `directory`
// (see MeasureBeside). On the first line it cannot accept it shows one message, empties the
// document and returns false.
bool ReadCueSheet(Session& session, std::string_view text, const std::string& directory);

// Reads an XMCD record into the document. False only when the text does not begin with
// "# xmcd" (the document is emptied all the same). True otherwise: the record was read, or
// an error was shown and the document is empty.
bool ReadXmcd(Session& session, std::string_view text);

// Shows message NeedsDiscPositions naming the audio file whose length is missing and returns
// false when a track's disc position is not known (see UnplacedFile); true otherwise.
bool CheckDiscPositions(Session& session);

// Shows message TrackBeforeFirst naming the first track that a cue sheet cannot hold and
// returns false; true when every time can be written.
bool CheckCueSheetTimes(Session& session);

}  // namespace tracklore
