#include "flows/FreeDbFlow.h"

#include "flows/Reading.h"
#include "model/Cp1252.h"
#include "model/Encoding.h"
#include "model/Text.h"

namespace tracklore {

bool ApplyFetchOutcome(Session& session, const FetchOutcome& outcome, TransferFlags& flags) {
    switch (outcome.status) {
        case FetchStatus::TempFailed:
            ShowError(session, str::CannotOpenFile, {FileNameText(outcome.tempPath)});
            return false;
        case FetchStatus::DownloadFailed:
            ShowError(session, str::FetchFailed);
            return false;
        case FetchStatus::Cancelled:
        case FetchStatus::NotRecord:
            return false;
        case FetchStatus::Loaded:
            break;
    }
    ClearTrackList(session);
    if (outcome.error) {
        ShowReadError(session, *outcome.error);
    } else {
        ApplyTrackList(session, outcome.list);
    }
    SetModified(session, true);
    session.view.RefreshMainWindow();
    flags.loaded = true;
    return true;
}

bool RunTransferWorker(Session& session, const FetchRequest& request, TransferFlags& flags,
                       const TransferStatus& status, const TransferOptions& options) {
    JobContext job(flags.cancelled, [&status](const JobProgress& progress) {
        if (status && progress.status != StringId::None) {
            status(progress.status);
        }
    });
    TransferOptions withCodePage = options;
    withCodePage.legacyCodePage = session.settings.LegacyCodePage;
    return ApplyFetchOutcome(session, FetchRecord(session.settings.URL, request, job, withCodePage),
                             flags);
}

SearchResults ReportSearchOutcome(Session& session, const SearchOutcome& outcome) {
    switch (outcome.status) {
        case SearchStatus::TempFailed:
            ShowError(session, str::CannotOpenFile, {FileNameText(outcome.tempPath)});
            break;
        case SearchStatus::DownloadFailed:
            ShowError(session, str::SearchFailed);
            break;
        case SearchStatus::Cancelled:
        case SearchStatus::Done:
            break;
    }
    return outcome.results;
}

SearchResults RunSearch(Session& session, std::string_view words, const SearchOptions& options) {
    static const std::atomic<bool> never{false};
    JobContext job(options.cancel != nullptr ? *options.cancel : never);
    SearchOptions withCodePage = options;
    withCodePage.legacyCodePage = session.settings.LegacyCodePage;
    return ReportSearchOutcome(session, SearchDatabase(words, withCodePage, session.strings, job));
}

}  // namespace tracklore
