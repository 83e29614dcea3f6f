#pragma once

#include <string>

#include "flows/Session.h"
#include "mp3/FolderScan.h"

namespace tracklore {

// Applies a folder scan: a usable result replaces the document and the summary is shown
// (with the limit message first when the list ended early); false with FolderHasNoMp3, and the
// document untouched, when no file was usable or the scan was cancelled (without a message).
bool ApplyFolderScan(Session& session, const FolderScanResult& result);

// Builds the track list from the folder (its path ending with a separator) on the calling
// thread and applies it (ApplyFolderScan).
bool ScanFolder(Session& session, const std::string& folder, const std::string& mask);

// The folder dialog's start: with a folder and a mask given, scans and, on success, marks
// the document modified and refreshes the main window.
bool RunFolderScan(Session& session, const std::string& folder, const std::string& mask);

// The end of RunFolderScan after the scan ran elsewhere (the editor's job runner).
bool FinishFolderScan(Session& session, const FolderScanResult& result);

}  // namespace tracklore
