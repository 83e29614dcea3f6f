#include "app/DroppedPaths.h"

#include <QMimeData>
#include <QUrl>

#include "app/QtText.h"

namespace tracklore::app {

namespace {
constexpr int DropCaption = 1023;
constexpr int DropOnlyOne = 1027;
}  // namespace

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

std::optional<std::string> SingleDroppedPath(Session& session,
                                             const std::vector<std::string>& paths) {
    if (paths.empty()) {
        return std::nullopt;
    }
    if (paths.size() > 1) {
        ShowStringMessage(session, DropOnlyOne, {}, DropCaption, MsgButtons::Ok, MsgIcon::Warning);
        return std::nullopt;
    }
    return paths.front();
}

}  // namespace tracklore::app
