#include "flows/ExportFlow.h"

#include "export/Export.h"
#include "flows/DocumentFlow.h"
#include "flows/Reading.h"
#include "model/Cp1252.h"
#include "model/Encoding.h"
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
    if (!CheckDiscPositions(session)) {
        return false;
    }
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
    doc.cd.audioFile = FileNameText(FileNamePart(StripExtension(chosen->path)));
    const ExportFormat& format = ExportFormatForFilter(chosen->filterIndex);
    std::string text = format.write(doc, session.timeFormat(), session.strings);
    // The document's save encoding, as a cue sheet of it would be saved.
    const TextEncoding saveEncoding =
        DocumentSaveEncoding(doc, text, DocumentKindCue, session.settings.SaveEncoding);
    const TextEncoding encoding = ExportTextEncoding(format, text, saveEncoding);
    if (format.encoding == ExportEncoding::Markup && encoding.kind == TextEncoding::Kind::Utf8) {
        text = DeclareUtf8(text);
    }
    const std::optional<std::string> bytes = EncodeForSaving(session, text, encoding);
    if (!bytes) {
        return false;
    }
    if (!WriteFileSafely(chosen->path, *bytes)) {
        ShowError(session, str::CannotOpenFile, {FileNameText(chosen->path)});
        return false;
    }
    return true;
}

}  // namespace tracklore
