#pragma once

#include <Qt>
#include <vector>

namespace tracklore::app {

// One row of a key table: a key with exactly these modifiers gives a command.
struct KeyBinding {
    int key;
    Qt::KeyboardModifiers modifiers;
    int command;
};

// Table 100, tried for every key of the main window; Alt+F4 closes the window where the
// window manager leaves that key to the program.
const std::vector<KeyBinding>& GlobalKeyTable();
// Table 101, tried first while the track list has the keyboard focus.
const std::vector<KeyBinding>& TrackListKeyTable();

// The command of a key in a table, or 0. The keypad's Enter counts as Return; keypad keys
// count as their main keys.
int LookUpKey(const std::vector<KeyBinding>& table, int key, Qt::KeyboardModifiers modifiers);

}  // namespace tracklore::app
