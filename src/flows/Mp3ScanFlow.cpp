#include "flows/Mp3ScanFlow.h"

#include <filesystem>

#include "flows/Reading.h"
#include "model/Cp1252.h"
#include "mp3/Id3.h"
#include "mp3/ImportHelpers.h"

namespace tracklore {

bool CheckScanStart(Session& session, const Mp3ScanJob& job) {
    std::error_code error;
    if (!std::filesystem::exists(job.path, error)) {
        ShowError(session, str::FileNotFound, {NameText(job.path)});
        return false;
    }
    if (!job.findCueTag && !job.findChapters && !job.splitAtId3v1 && !job.detectArchives) {
        ShowError(session, str::NoMethodChosen);
        return false;
    }
    return true;
}

Mp3ScanHooks ScanHooks(Session& session) {
    Mp3ScanHooks hooks;
    hooks.offer = [&session](const ExtractOffer& offer) {
        MsgResult answer = MsgResult::No;
        // Extracting what was found is the default answer, as for every Yes/No/Cancel question.
        switch (offer.kind) {
            case ExtractOffer::Kind::CueSheet:
                answer = ShowStringMessage(session, str::CueSheetQuestion, {}, str::ScanCaption,
                                           MsgButtons::YesNoCancel, MsgIcon::Question, 0);
                break;
            case ExtractOffer::Kind::CueSheetByWriter:
                answer = ShowStringMessage(session, str::CueSheetByWriterQuestion, {offer.name},
                                           str::ScanCaption, MsgButtons::YesNoCancel,
                                           MsgIcon::Question, 0);
                break;
            case ExtractOffer::Kind::AlbumWrap:
                answer = ShowStringMessage(session, str::AlbumWrapQuestion, {offer.name},
                                           str::ScanCaption, MsgButtons::YesNoCancel,
                                           MsgIcon::Question, 0);
                break;
            case ExtractOffer::Kind::Chapters:
                answer = ShowStringMessage(session, str::ChaptersQuestion, {offer.count},
                                           str::ScanCaption, MsgButtons::YesNoCancel,
                                           MsgIcon::Question, 0);
                break;
        }
        return answer == MsgResult::Yes      ? ExtractAnswer::Yes
               : answer == MsgResult::Cancel ? ExtractAnswer::Cancel
                                             : ExtractAnswer::No;
    };
    hooks.readError = [&session](int error) {
        Message message;
        message.text = SystemErrorText(error);
        message.captionId = Number(str::ErrorCaption);
        message.caption = session.Text(str::ErrorCaption);
        message.buttons = MsgButtons::AbortRetryIgnore;
        message.icon = MsgIcon::Warning;
        const MsgResult answer = session.ui.ShowMessage(message);
        return answer == MsgResult::Retry    ? ReadErrorAnswer::Retry
               : answer == MsgResult::Ignore ? ReadErrorAnswer::Ignore
                                             : ReadErrorAnswer::Abort;
    };
    hooks.trackNotMeasured = [&session](int track) {
        ShowInfo(session, str::NoMpegHeaderInFragment, {track}, str::ScanCaption);
    };
    hooks.legacyCodePage = session.settings.LegacyCodePage;
    return hooks;
}

namespace {

// The fragments of the ID3v1 split through the results dialog into the document.
void FinishId3v1Split(Session& session, Mp3ScanJob& job, FragmentChooser& chooser,
                      const FileOpener& open) {
    if (job.split.droppedTags > 0) {
        // The track list holds 99 tracks; the rest of the file is not listed.
        ShowInfo(session, str::TrackLimitReached, {}, str::ScanCaption);
    }
    const std::string heading =
        session.Format(str::FragmentResultsHeading, {static_cast<int>(job.split.fragments.size())});
    const TextEncoding codePage = LegacyEncoding(session.settings.LegacyCodePage);
    if (chooser.ChooseFragments(heading, FragmentRows(job.split, session.strings, codePage)) !=
        MsgResult::Yes) {
        return;
    }
    std::unique_ptr<ByteSource> file = open(job.path);
    if (!file) {
        ShowError(session, str::CannotOpenFile, {NameText(job.path)});
        return;
    }
    MeasuredList measured =
        BuildTracksFromFragments(job.split, *file, job.path, session.strings, codePage);
    ApplyTrackList(session, measured.list);
    if (measured.unmeasuredTrack != 0) {
        ShowInfo(session, str::NoMpegHeaderInFragment, {measured.unmeasuredTrack},
                 str::ScanCaption);
    }
    job.trackListBuilt = measured.unmeasuredTrack == 0;
    SetModified(session, true);
    session.view.RefreshMainWindow();
}

}  // namespace

void FinishMp3Scan(Session& session, Mp3ScanJob& job, FragmentChooser& chooser,
                   const FileOpener& open) {
    if (job.openFailed) {
        ShowError(session, str::CannotOpenFile, {NameText(job.path)});
        return;
    }
    if (job.list) {
        ClearTrackList(session);
        if (job.extractError) {
            ShowReadError(session, *job.extractError);
        }
        ApplyTrackList(session, *job.list);
        if (job.listExtracted) {
            session.view.RefreshMainWindow();
            job.trackListBuilt = !job.extractError;
        }
    }
    if (job.signature != StringId::None) {
        ShowInfo(session, job.signature, {}, str::ScanCaption);
        return;
    }
    if (job.done && !job.listExtracted && !job.split.fragments.empty()) {
        FinishId3v1Split(session, job, chooser, open);
        return;
    }
    if (!job.done && !job.cancelRequested) {
        ShowInfo(session, str::NothingUsable, {}, str::ScanCaption);
    }
}

void RunMp3ScanWorker(Session& session, Mp3ScanJob& job, FragmentChooser& chooser,
                      const ScanProgress& progress, const FileOpener& open) {
    job.timeFormat = session.timeFormat();
    ScanMp3File(job, ScanHooks(session), progress, open);
    FinishMp3Scan(session, job, chooser, open);
}

bool ReadAlbumWrapHeader(Session& session, ByteSource& file, const unsigned char* buffer,
                         std::size_t length) {
    std::optional<MeasuredList> read = tracklore::ReadAlbumWrapHeader(
        file, buffer, length, LegacyEncoding(session.settings.LegacyCodePage));
    if (!read) {
        return false;
    }
    ApplyTrackList(session, read->list);
    if (read->unmeasuredTrack != 0) {
        ShowInfo(session, str::NoMpegHeaderInFragment, {read->unmeasuredTrack}, str::ScanCaption);
        return false;
    }
    return true;
}

}  // namespace tracklore
