#pragma once

#include <array>
#include <string>

#include "model/TrackList.h"
#include "resources/Strings.h"

namespace tracklore {

// The texts and enable rules of the main window, kept apart from any toolkit.

// "name - Tracklore" (with " *" after the name while modified) for a document with a file
// name; "Tracklore" for an untitled one, modified or not.
std::string WindowTitle(const TrackList& doc, const StringTable& strings);

// The parts of the status bar: the track count, while the total is known the disc ID and the
// total playing time, and the encoding of the document's file. Recomputes and stores the disc
// ID when the total is known.
std::array<std::string, 4> StatusBarTexts(TrackList& doc, TimeFormat format,
                                          const StringTable& strings);

// The four column texts of row `index` of the track list: " n", performer, title, length
// (short form, or "(bis EOF)").
std::array<std::string, 4> TrackRowTexts(const TrackList& doc, int index, TimeFormat format,
                                         const StringTable& strings);

// Which editing commands are offered, from the selected row s (-1 for none), the number of
// tracks n and whether the clipboard holds text.
struct EditMenuState {
    bool insert = true;
    bool cut = false;
    bool copy = false;
    bool paste = false;
    bool remove = false;
    bool moveUp = false;
    bool moveDown = false;
    bool properties = false;
    bool swapTitles = false;
};
EditMenuState ComputeEditMenuState(int selected, int trackCount, bool clipboardHasText);

}  // namespace tracklore
