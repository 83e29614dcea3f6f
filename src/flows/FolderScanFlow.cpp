#include "flows/FolderScanFlow.h"

#include "flows/Reading.h"
#include "model/Text.h"
#include "model/Time.h"

namespace tracklore {

bool ApplyFolderScan(Session& session, const FolderScanResult& result) {
    if (result.cancelled) {
        return false;
    }
    if (!result.usable) {
        ShowError(session, str::FolderHasNoMp3);
        return false;
    }
    ApplyTrackList(session, result.list);
    Message message;
    message.textId = Number(str::FolderSummary);
    message.captionId = Number(str::FolderResultCaption);
    message.caption = session.Text(str::FolderResultCaption);
    message.text = session.Format(
        str::FolderSummary,
        {session.doc.trackCount, FormatTimeShort(result.running, session.timeFormat())});
    if (result.limitMessage != StringId::None) {
        message.text = session.Text(result.limitMessage) + "\r\n" + message.text;
    }
    message.buttons = MsgButtons::Ok;
    message.icon = MsgIcon::Information;
    session.ui.ShowMessage(message);
    return true;
}

bool ScanFolder(Session& session, const std::string& folder, const std::string& mask) {
    static const std::atomic<bool> never{false};
    return ApplyFolderScan(session,
                           ScanFolderFiles(folder, mask, session.strings, JobContext(never),
                                           session.settings.LegacyCodePage));
}

bool FinishFolderScan(Session& session, const FolderScanResult& result) {
    if (!ApplyFolderScan(session, result)) {
        return false;
    }
    SetModified(session, true);
    session.view.RefreshMainWindow();
    return true;
}

bool RunFolderScan(Session& session, const std::string& folder, const std::string& mask) {
    if (folder.empty() || mask.empty()) {
        return false;
    }
    static const std::atomic<bool> never{false};
    return FinishFolderScan(session,
                            ScanFolderFiles(WithTrailingSeparator(folder), mask, session.strings,
                                            JobContext(never), session.settings.LegacyCodePage));
}

}  // namespace tracklore
