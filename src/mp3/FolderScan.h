#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "flows/Session.h"

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

// Builds the track list from the folder (its path ending with a separator) and shows the
// summary; false with message 1096, and the document untouched, when no file was usable.
bool ScanFolder(Session& session, const std::string& folder, const std::string& mask);

// The folder dialog's start: with a folder and a mask given, scans and, on success, marks
// the document modified and refreshes the main window.
bool RunFolderScan(Session& session, const std::string& folder, const std::string& mask);

}  // namespace tracklore
