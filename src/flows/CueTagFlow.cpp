#include "flows/CueTagFlow.h"

#include <algorithm>
#include <cerrno>
#include <cmath>

#include "flows/DocumentFlow.h"
#include "flows/Reading.h"
#include "formats/CueSheet.h"
#include "formats/Document.h"
#include "model/Text.h"
#include "mp3/Mp3Scan.h"
#include "mp3/Mpeg.h"

namespace tracklore {

namespace {

void ShowSystemError(Session& session, int error) {
    Message message;
    message.captionId = Number(str::ErrorCaption);
    message.caption = session.Text(str::ErrorCaption);
    message.text = SystemErrorText(error != 0 ? error : EIO);
    message.buttons = MsgButtons::Ok;
    message.icon = MsgIcon::Error;
    session.ui.ShowMessage(message);
}

bool ReportOutcome(Session& session, const TagWriteOutcome& outcome, const std::string& file) {
    const std::string path = FileNameText(file);
    switch (outcome.status) {
        case TagWriteStatus::Written:
            return true;
        case TagWriteStatus::CannotOpen:
            ShowError(session, str::CannotOpenFile, {path});
            break;
        case TagWriteStatus::NotMp3:
            ShowError(session, str::NotMp3, {path});
            break;
        case TagWriteStatus::Declined:
            break;
        case TagWriteStatus::TooLarge:
            ShowError(session, str::TagTooLarge, {path});
            break;
        case TagWriteStatus::CannotCreateTemp:
            ShowError(session, str::CannotCreateTemp, {FileNameText(outcome.folder)});
            break;
        case TagWriteStatus::CannotReplace:
            ShowError(session, str::CannotReplace);
            break;
        case TagWriteStatus::SystemError:
            ShowSystemError(session, outcome.error);
            break;
    }
    return false;
}

// Where the last chapter ends: the measured length of the MP3 file in milliseconds, or the
// document's total when the file does not measure (the writer then refuses it anyway).
std::uint32_t ChapterEndMs(const TrackList& doc, const std::string& path) {
    double seconds = -1.0;
    if (std::unique_ptr<FileSource> source = FileSource::Open(path)) {
        seconds = MpegDuration(*source, static_cast<std::int64_t>(source->Size()));
    }
    if (seconds < 0.0) {
        seconds = std::max(0, doc.cd.totalSeconds);
    }
    return static_cast<std::uint32_t>(std::min(std::llround(seconds * 1000.0), 0xFFFFFFFFLL));
}

}  // namespace

bool WriteTagIntoFile(Session& session, FrameTable& table, const std::string& path) {
    auto replaceOtherVersion = [&session] {
        return ShowStringMessage(session, str::OtherTagVersion, {}, str::WriteTagCaption,
                                 MsgButtons::OkCancel, MsgIcon::Question,
                                 /*defaultButton=*/1) == MsgResult::Ok;
    };
    const bool ok = ReportOutcome(session, WriteTagFile(table, path, replaceOtherVersion), path);
    if (ok) {
        ShowStringMessage(session, str::TagWritten, {FileNameText(path)}, str::DoneCaption,
                          MsgButtons::Ok, MsgIcon::Information);
    }
    table.Clear();
    return ok;
}

std::string ChooseMp3File(Session& session, StringId titleId) {
    FileDialogRequest request;
    request.titleId = Number(titleId);
    request.title = session.Text(titleId);
    request.filters = ParseFilterList(session.Text(str::Mp3Filters));
    request.filterIndex = 1;
    request.startDir = session.settings.LastMP3Dir;
    request.fileMustExist = true;
    std::optional<FileDialogResult> chosen = session.ui.ChooseOpenFile(request);
    if (!chosen || chosen->path.empty()) {
        return std::string();
    }
    session.settings.LastMP3Dir = DirPart(chosen->path);
    return chosen->path;
}

bool WriteCueToMp3(Session& session) {
    if (!CheckCueSheetTimes(session) || !CheckDiscPositions(session)) {
        return false;
    }
    const std::string path = ChooseMp3File(session, str::WriteTagCaption);
    if (path.empty()) {
        return false;
    }
    // The name without folder and extension; the extension is cut from the file name only,
    // so that a period in a folder name does not cut the path there.
    session.doc.cd.audioFile = FileNameText(StripExtension(FileNamePart(path)));
    // The tag holds the cue sheet as Save would write it, naming this one file whatever files
    // the document came from: in the document's save encoding, refused before anything is
    // written when a forced encoding cannot hold a character.
    const std::string cueText =
        CueSheetText(session.doc, session.timeFormat(), CueFileLines::AudioFile);
    const TextEncoding encoding =
        DocumentSaveEncoding(session.doc, cueText, DocumentKindCue, session.settings.SaveEncoding);
    const std::optional<std::string> cueBytes = EncodeForSaving(session, cueText, encoding);
    if (!cueBytes) {
        return false;
    }
    FrameTable table;
    AddCueFrames(table, session.doc, *cueBytes);
    if (session.settings.WriteChapters != 0) {
        AddChapterFrames(table, session.doc, ChapterEndMs(session.doc, path));
    }
    return WriteTagIntoFile(session, table, path);
}

}  // namespace tracklore
