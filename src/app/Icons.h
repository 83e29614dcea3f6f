#pragma once

#include <QIcon>

namespace tracklore::app {

// The toolbar images: New, Open, Save, FreeDB search, MP3 scan, FreeDB fetch, folder scan,
// swap titles, settings, read-me, about, undo, redo. Painted at start-up at 16 x 16 (and
// twice that for dense screens).
constexpr int ToolbarImageCount = 13;
QIcon ToolbarIcon(int image);

// The program's icon: a disc with a track list.
QIcon ProgramIcon();

}  // namespace tracklore::app
