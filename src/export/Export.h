#pragma once

#include <string>
#include <string_view>

#include "model/TrackList.h"
#include "resources/Strings.h"

namespace tracklore {

// Export formats by their position in the export dialog's filter list (1-based).
constexpr int ExportFilterXml = 1;
constexpr int ExportFilterHtml = 2;
constexpr int ExportFilterText = 3;
constexpr int ExportFilterCsv = 4;

// One export format: its name on the command line, the extension a name without one gets,
// its filter in the export dialog's list, and the writer of its text.
struct ExportFormat {
    std::string_view name;
    std::string_view extension;
    int filterIndex;
    std::string (*write)(const TrackList& doc, TimeFormat format, const StringTable& strings);
};

// Every export format, in the order of the dialog's filter list.
extern const ExportFormat ExportFormats[4];

// The format of a filter index; anything unknown gives XML.
const ExportFormat& ExportFormatForFilter(int filterIndex);
// The format of a command-line name, or nullptr.
const ExportFormat* ExportFormatNamed(std::string_view name);

// One line per track: performer, TAB, title, TAB, length, CR LF.
std::string MakeTextList(const TrackList& doc, TimeFormat format, const StringTable& strings);
// A header line and one line per track, every field quoted, CR LF line ends.
std::string MakeCsvTable(const TrackList& doc, TimeFormat format, const StringTable& strings);
// The text of the format chosen by a filter index (anything unknown gives XML).
std::string MakeExportText(const TrackList& doc, TimeFormat format, int filterIndex,
                           const StringTable& strings);

}  // namespace tracklore
