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

// How an export's text becomes bytes.
enum class ExportEncoding {
    Markup,    // ISO-8859-1 as the template declares it when every character fits, else UTF-8
               // with a declaration that says so
    Document,  // the document's own save encoding
    Table,     // the document's save encoding, UTF-8 always with its mark
};

// One export format: its name on the command line, the extension a name without one gets,
// its filter in the export dialog's list, the writer of its text and how it is encoded.
struct ExportFormat {
    std::string_view name;
    std::string_view extension;
    int filterIndex;
    std::string (*write)(const TrackList& doc, TimeFormat format, const StringTable& strings);
    ExportEncoding encoding;
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
// The encoding an export's text is written in: for markup ISO-8859-1 or UTF-8 by its text;
// otherwise `documentEncoding` (the document's save encoding), a UTF-8 one with its mark for
// a table.
TextEncoding ExportTextEncoding(const ExportFormat& format, std::string_view text,
                                const TextEncoding& documentEncoding);
// The markup text made to declare UTF-8 (the XML declaration, a meta element in HTML).
std::string DeclareUtf8(std::string_view text);

// The text of the format chosen by a filter index (anything unknown gives XML).
std::string MakeExportText(const TrackList& doc, TimeFormat format, int filterIndex,
                           const StringTable& strings);

}  // namespace tracklore
