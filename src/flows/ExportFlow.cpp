#include "flows/ExportFlow.h"

#include "export/Export.h"
#include "flows/DocumentFlow.h"
#include "model/Cp1252.h"
#include "model/SafeFile.h"
#include "model/Text.h"

namespace tracklore {

namespace {
const char* ExtensionFor(int filterIndex) {
    return ExportFormatForFilter(filterIndex).extension.data();
}
}  // namespace

bool ExportDocument(Session& session) {
    TrackList& doc = session.doc;
    FileDialogRequest request;
    request.titleId = Number(str::ExportCaption);
    request.title = session.Text(str::ExportCaption);
    request.filters = ParseFilterList(session.Text(str::ExportFilters));
    // The document's own path without its extension, not sanitised, else the usual proposal.
    request.proposedName =
        doc.documentPath.empty() ? ProposedDocumentName(doc) : StripExtension(doc.documentPath);
    auto chosen =
        ChooseSaveTarget(session, request, session.settings.LastExportFilter, ExtensionFor);
    if (!chosen) {
        return false;
    }
    doc.cd.audioFile = FileNamePart(StripExtension(chosen->path));
    const std::string text =
        MakeExportText(doc, session.timeFormat(), chosen->filterIndex, session.strings);
    if (!WriteFileSafely(chosen->path, text)) {
        ShowError(session, str::CannotOpenFile, {FileNameText(chosen->path)});
        return false;
    }
    return true;
}

}  // namespace tracklore
