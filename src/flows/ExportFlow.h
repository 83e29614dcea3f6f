#pragma once

#include "flows/Session.h"

namespace tracklore {

// The export command: file dialog, overwrite question, then the file written safely.
// True when a file was written.
bool ExportDocument(Session& session);

}  // namespace tracklore
