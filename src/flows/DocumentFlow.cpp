#include "flows/DocumentFlow.h"

#include "flows/Reading.h"
#include "formats/CueSheet.h"
#include "formats/Xmcd.h"
#include "model/Cp1252.h"
#include "model/Encoding.h"
#include "model/SafeFile.h"
#include "model/Text.h"
#include "resources/Strings.h"

namespace tracklore {

namespace {
constexpr int SaveFilterXmcd = 2;
}  // namespace

std::optional<std::string> EncodeForSaving(Session& session, std::string_view text,
                                           const TextEncoding& encoding) {
    EncodedText encoded = EncodeText(text, encoding);
    if (!encoded.ok()) {
        ShowError(session, str::CharacterNotInEncoding,
                  {CharacterName(*encoded.unfit), encoding.Name()});
        return std::nullopt;
    }
    return std::move(encoded.bytes);
}

int ReadDocumentText(Session& session, const std::string& text, const std::string& directory) {
    DocumentRead read = ParseDocumentText(text, session.timeFormat(), MeasureBeside(directory));
    ClearTrackList(session);
    if (read.error) {
        ShowReadError(session, *read.error);
    } else {
        ApplyTrackList(session, read.list);
    }
    return read.kind;
}

bool OpenDocument(Session& session, const std::string& path) {
    if (FileSizeOf(path) >= MaxDocumentBytes) {
        ShowError(session, str::TooLarge,
                  {FileNameText(path), static_cast<long long>(MaxDocumentBytes)});
        return false;
    }
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) {
        ShowError(session, str::CannotOpenFile, {FileNameText(path)});
        return false;
    }
    // The file may have grown since its size was taken.
    if (bytes.size() >= MaxDocumentBytes) {
        ShowError(session, str::TooLarge,
                  {FileNameText(path), static_cast<long long>(MaxDocumentBytes)});
        return false;
    }
    TrackList& doc = session.doc;
    std::string dir = DirPart(path);
    const DecodedText decoded = DecodeDocumentBytes(bytes, session.settings.LegacyCodePage);
    const int kind = ReadDocumentText(session, decoded.text, dir.empty() ? std::string("./") : dir);
    const bool ok = kind != 0;
    if (ok) {
        if (doc.cd.audioFile.empty()) {
            doc.cd.audioFile = FileNameText(StripExtension(FileNamePart(path)));
        }
        doc.documentKind = kind;
        doc.encoding = decoded.encoding;
        doc.documentPath = path;
        SetModified(session, false);
        if (const AudioFileLine* file = UnplacedFile(doc)) {
            ShowInfo(session, str::AudioFileNotMeasured, {FileNameText(file->name)});
        }
    } else {
        ShowError(session, str::Unreadable);
    }
    session.view.RefreshMainWindow();
    return ok;
}

bool ShowOpenDialog(Session& session) {
    FileDialogRequest request;
    request.titleId = Number(str::OpenCaption);
    request.title = session.Text(str::OpenCaption);
    request.filters = ParseFilterList(session.Text(str::OpenFilters));
    request.filterIndex = 1;
    request.startDir = session.settings.LastDir;
    request.fileMustExist = true;
    auto chosen = session.ui.ChooseOpenFile(request);
    if (!chosen) {
        return false;
    }
    session.settings.LastDir = DirPart(chosen->path);
    if (!FileExists(chosen->path)) {
        return false;
    }
    return OpenDocument(session, chosen->path);
}

std::optional<FileDialogResult> ChooseSaveTarget(Session& session, FileDialogRequest request,
                                                 int& filterSetting,
                                                 const char* (*extensionFor)(int filterIndex)) {
    while (true) {
        request.filterIndex = filterSetting;
        request.startDir = session.settings.LastDir;
        auto chosen = session.ui.ChooseSaveFile(request);
        if (!chosen) {
            return std::nullopt;
        }
        session.settings.LastDir = DirPart(chosen->path);
        filterSetting = chosen->filterIndex;
        if (!HasExtension(chosen->path)) {
            chosen->path += extensionFor(chosen->filterIndex);
        }
        if (FileExists(chosen->path)) {
            MsgResult answer = ShowStringMessage(
                session, str::Overwrite, {FileNameText(chosen->path)}, IdOfNumber(request.titleId),
                MsgButtons::YesNo, MsgIcon::Warning, 1);
            if (answer != MsgResult::Yes) {
                request.proposedName = chosen->path;
                continue;
            }
        }
        return chosen;
    }
}

namespace {
const char* DocumentExtension(int filterIndex) {
    return filterIndex == SaveFilterXmcd ? ".xmcd" : ".cue";
}
}  // namespace

bool SaveDocument(Session& session, bool saveAs) {
    TrackList& doc = session.doc;
    const StringId captionId = saveAs ? str::SaveAsCaption : str::SaveCaption;
    std::string name;
    int kind = doc.documentKind;
    std::string newAudioFile;

    if (saveAs || doc.documentPath.empty()) {
        FileDialogRequest request;
        request.titleId = Number(captionId);
        request.title = session.Text(captionId);
        request.filters = ParseFilterList(session.Text(str::SaveFilters));
        request.proposedName =
            doc.documentPath.empty() ? ProposedDocumentName(doc) : doc.documentPath;
        auto chosen =
            ChooseSaveTarget(session, request, session.settings.LastSaveFilter, DocumentExtension);
        if (!chosen) {
            return false;
        }
        name = chosen->path;
        kind = chosen->filterIndex == SaveFilterXmcd ? DocumentKindXmcd : DocumentKindCue;
        // A sheet that names its audio files keeps them; others name it after the saved file.
        if (doc.cd.files.empty()) {
            newAudioFile = FileNameText(FileNamePart(StripExtension(name)));
        }
    } else {
        name = doc.documentPath;
    }

    if (kind == DocumentKindCue && !CheckCueSheetTimes(session)) {
        return false;
    }
    if (kind == DocumentKindXmcd && !CheckDiscPositions(session)) {
        return false;
    }
    // The text is built on a copy: the document takes the writer's audio file name only
    // once the file is safely written.
    TrackList written = doc;
    if (!newAudioFile.empty()) {
        written.cd.audioFile = newAudioFile;
    }
    const std::string text = kind == DocumentKindXmcd
                                 ? WriteXmcd(written)
                                 : WriteCueSheet(written, session.timeFormat());
    const TextEncoding encoding =
        DocumentSaveEncoding(doc, text, kind, session.settings.SaveEncoding);
    const std::optional<std::string> bytes = EncodeForSaving(session, text, encoding);
    if (!bytes) {
        return false;
    }
    if (!newAudioFile.empty()) {
        doc.cd.audioFile = newAudioFile;  // Save As names the audio file after the saved file
    }
    if (!WriteFileSafely(name, *bytes)) {
        ShowError(session, str::CannotOpenFile, {FileNameText(name)});
        return false;
    }
    doc.cd.audioFile = written.cd.audioFile;
    doc.documentPath = name;
    doc.documentKind = kind;
    doc.encoding = encoding;
    SetModified(session, false);
    session.view.UpdateTitle();
    return true;
}

}  // namespace tracklore
