#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/Session.h"

class QMimeData;

namespace tracklore::app {

// The local files and folders a drag carries, as the file system names them.
std::vector<std::string> DroppedPaths(const QMimeData* data);

// The one path of a drop onto a dialog's field. Two or more paths are refused with message
// 1027 (caption 1023 "Öffne Datei", warning); nothing when the drop carried no path.
std::optional<std::string> SingleDroppedPath(Session& session,
                                             const std::vector<std::string>& paths);

}  // namespace tracklore::app
