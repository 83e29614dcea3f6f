#pragma once

#include <string>

#include "flows/Session.h"
#include "mp3/CueTag.h"

namespace tracklore {

// Writes the frames of the table into the MP3 file at `path` and tells the user about every
// outcome. True when the tag is in the file. The table is cleared at the end.
bool WriteTagIntoFile(Session& session, FrameTable& table, const std::string& path);

// The file dialog that chooses an MP3 file, titled by the string `titleId` (the cue tag
// command: WriteTagCaption): MPEG audio filters, starting in LastMP3Dir, which then holds the
// chosen file's folder. The chosen path, or an empty text when cancelled.
std::string ChooseMp3File(Session& session, StringId titleId);

// The command "write the cue sheet into an MP3 file": the cue sheet and, with the setting
// WriteChapters, the chapter table that ends at the file's measured length. True when the tag
// was written.
bool WriteCueToMp3(Session& session);

}  // namespace tracklore
