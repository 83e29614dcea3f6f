#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/Encoding.h"
#include "model/Job.h"
#include "model/TrackList.h"
#include "resources/Strings.h"

namespace tracklore {

// The track list of a folder that holds the single MP3 files of one album: one track per
// file that matches the mask and measures as MPEG audio of at least two seconds.

// True when the file name matches the mask: "*" stands for any run of characters, "?" for
// one, letters match without regard to case; a mask ending in ".*" also matches names
// without an extension ("*.*" matches every name).
bool MatchesFileMask(std::string_view name, std::string_view mask);

// Orders names as the user sees them listed: by the upper-case name, equal ones by the
// exact name.
bool FileNameLess(std::string_view a, std::string_view b);

// The names of the regular files in the folder that match the mask, in FileNameLess order.
// Folders and other entries that are not files are left out.
std::vector<std::string> ListMatchingFiles(const std::string& folder, const std::string& mask);

// What the scan of a folder found: the track list (when a file was usable), the message that
// ended the list early (TrackLimitReached, TimeLimitReached), and the end of its last track.
struct FolderScanResult {
    bool usable = false;
    bool cancelled = false;
    TrackList list;
    StringId limitMessage = StringId::None;
    std::int32_t running = LeadInFrames;
};

// The scan of a folder (its path ending with a separator), a job: one track per file that
// matches the mask, in FileNameLess order, each measured from its MPEG frames and named from
// its tags or its file name. A text of the ID3v2 tag at the file's start is taken before the
// same text of the ID3v1 record at its end, which is decoded in `legacyCodePage`. Progress
// counts the files.
FolderScanResult ScanFolderFiles(const std::string& folder, const std::string& mask,
                                 const StringTable& strings, const JobContext& job,
                                 std::string_view legacyCodePage = DefaultLegacyCodePage);

}  // namespace tracklore
