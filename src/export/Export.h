#pragma once

#include <string>

#include "platform/Session.h"

namespace tracklore {

// Export formats by the export dialog's filter index.
constexpr int ExportFilterXml = 1;
constexpr int ExportFilterHtml = 2;
constexpr int ExportFilterText = 3;
constexpr int ExportFilterCsv = 4;

// One line per track: performer, TAB, title, TAB, length, CR LF.
std::string MakeTextList(const TrackList& doc, TimeFormat format);
// A header line and one line per track, every field quoted, CR LF line ends.
std::string MakeCsvTable(const TrackList& doc, TimeFormat format);
// The text of the format chosen by a filter index (anything unknown gives XML).
std::string MakeExportText(const TrackList& doc, TimeFormat format, int filterIndex);

// The export command: file dialog, overwrite question, then the file written safely.
// True when a file was written.
bool ExportDocument(Session& session);

}  // namespace tracklore
