#include "app/KeyTables.h"

#include "app/Commands.h"

namespace tracklore::app {

const std::vector<KeyBinding>& GlobalKeyTable() {
    static const std::vector<KeyBinding> table = {
        {Qt::Key_N, Qt::ControlModifier, cmd::New},
        {Qt::Key_O, Qt::ControlModifier, cmd::Open},
        {Qt::Key_S, Qt::ControlModifier, cmd::Save},
        {Qt::Key_F, Qt::ControlModifier, cmd::FreeDbSearch},
        {Qt::Key_M, Qt::ControlModifier, cmd::Mp3Scan},
        {Qt::Key_F1, Qt::NoModifier, cmd::Readme},
        {Qt::Key_F1, Qt::AltModifier, cmd::About},
        {Qt::Key_F4, Qt::AltModifier, cmd::Exit},
    };
    return table;
}

const std::vector<KeyBinding>& TrackListKeyTable() {
    static const std::vector<KeyBinding> table = {
        {Qt::Key_Insert, Qt::NoModifier, cmd::InsertTrack},
        {Qt::Key_X, Qt::ControlModifier, cmd::Cut},
        {Qt::Key_C, Qt::ControlModifier, cmd::Copy},
        {Qt::Key_V, Qt::ControlModifier, cmd::Paste},
        {Qt::Key_Delete, Qt::NoModifier, cmd::Delete},
        {Qt::Key_Delete, Qt::ShiftModifier, cmd::Cut},
        {Qt::Key_Insert, Qt::ControlModifier, cmd::Copy},
        {Qt::Key_Insert, Qt::ShiftModifier, cmd::Paste},
        {Qt::Key_Up, Qt::AltModifier, cmd::MoveUp},
        {Qt::Key_Down, Qt::AltModifier, cmd::MoveDown},
        {Qt::Key_Return, Qt::NoModifier, cmd::Properties},
    };
    return table;
}

int LookUpKey(const std::vector<KeyBinding>& table, int key, Qt::KeyboardModifiers modifiers) {
    if (key == Qt::Key_Enter) {
        key = Qt::Key_Return;
    }
    modifiers &= Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    for (const KeyBinding& binding : table) {
        if (binding.key == key && binding.modifiers == modifiers) {
            return binding.command;
        }
    }
    return 0;
}

}  // namespace tracklore::app
