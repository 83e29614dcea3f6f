#include "export/Export.h"

#include <algorithm>

#include "export/Templates.h"
#include "formats/Document.h"
#include "model/Cp1252.h"
#include "model/SafeFile.h"
#include "model/Text.h"
#include "resources/Strings.h"

namespace tracklore {

namespace {

const char* ExtensionFor(int filterIndex) {
    switch (filterIndex) {
        case ExportFilterHtml:
            return ".html";
        case ExportFilterText:
            return ".txt";
        case ExportFilterCsv:
            return ".csv";
        default:
            return ".xml";
    }
}
}  // namespace

std::string MakeTextList(const TrackList& doc, TimeFormat format) {
    std::string text;
    const int count = std::clamp(doc.trackCount, 0, MaxTracks);
    for (int i = 0; i < count; ++i) {
        text += doc.tracks[i].performer.str() + "\t" + doc.tracks[i].title.str() + "\t" +
                TrackLengthText(doc, i, format) + "\r\n";
    }
    return text;
}

std::string MakeCsvTable(const TrackList& doc, TimeFormat format) {
    std::string text = Quote(String(str::ColumnNumber)) + "," +
                       Quote(String(str::ColumnPerformer)) + "," + Quote(String(str::ColumnTitle)) +
                       "," + Quote(String(str::ColumnLength)) + "\r\n";
    const int count = std::clamp(doc.trackCount, 0, MaxTracks);
    for (int i = 0; i < count; ++i) {
        text += Quote(std::to_string(i + 1)) + "," + Quote(doc.tracks[i].performer) + "," +
                Quote(doc.tracks[i].title) + "," + Quote(TrackLengthText(doc, i, format)) + "\r\n";
    }
    return text;
}

std::string MakeExportText(const TrackList& doc, TimeFormat format, int filterIndex) {
    switch (filterIndex) {
        case ExportFilterHtml:
            return MakeHtmlText(doc, format);
        case ExportFilterText:
            return MakeTextList(doc, format);
        case ExportFilterCsv:
            return MakeCsvTable(doc, format);
        default:
            return MakeXmlText(doc, format);
    }
}

bool ExportDocument(Session& session) {
    TrackList& doc = session.doc;
    FileDialogRequest request;
    request.titleId = Number(str::ExportCaption);
    request.title = std::string(String(str::ExportCaption));
    request.filters = ParseFilterList(std::string(String(str::ExportFilters)));
    // The document's own path without its extension, not sanitised, else the usual proposal.
    request.proposedName =
        doc.documentPath.empty() ? ProposedDocumentName(doc) : StripExtension(doc.documentPath);
    auto chosen =
        ChooseSaveTarget(session, request, session.settings.LastExportFilter, ExtensionFor);
    if (!chosen) {
        return false;
    }
    doc.cd.audioFile = FileNamePart(StripExtension(chosen->path));
    const std::string text = MakeExportText(doc, session.timeFormat(), chosen->filterIndex);
    if (!WriteFileSafely(chosen->path, text)) {
        ShowError(session, str::CannotOpenFile, {FileNameText(chosen->path)});
        return false;
    }
    return true;
}

}  // namespace tracklore
