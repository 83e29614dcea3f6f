#include "app/FileDropDialog.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include "app/DocumentCommands.h"
#include "app/QtText.h"
#include "app/UiMetrics.h"

namespace tracklore::app {

std::vector<std::string> DroppedPaths(const QMimeData* data) {
    std::vector<std::string> paths;
    if (!data || !data->hasUrls()) {
        return paths;
    }
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) {
            // A dragged folder may carry a trailing slash; the field shows it without.
            QString path = url.toLocalFile();
            while (path.size() > 1 && path.endsWith('/')) {
                path.chop(1);
            }
            paths.push_back(ToPath(path));
        }
    }
    return paths;
}

FileDropDialog::FileDropDialog(Session& session, QWidget* parent)
    : CentredDialog(parent), session_(session) {
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setAcceptDrops(true);
}

void FileDropDialog::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedPaths(event->mimeData()).empty()) {
        event->acceptProposedAction();
    }
}

void FileDropDialog::dropEvent(QDropEvent* event) {
    std::vector<std::string> paths = DroppedPaths(event->mimeData());
    if (paths.empty()) {
        return;
    }
    event->acceptProposedAction();
    if (std::optional<std::string> path = SingleDroppedPath(session_, paths)) {
        PathDropped(*path);
    }
}

}  // namespace tracklore::app
