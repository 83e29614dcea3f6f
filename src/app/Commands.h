#pragma once

#include "resources/StringIds.h"

namespace tracklore::app {

// Command numbers: every user action reaches the main window as one of them, from the menu
// bar, the context menu, a key table or a toolbar button.
namespace cmd {
constexpr int New = 201;
constexpr int Open = 202;
constexpr int Save = 203;
constexpr int SaveAs = 204;
constexpr int FreeDbSearch = 205;
constexpr int FreeDbFetch = 206;
constexpr int Mp3Scan = 207;
constexpr int FolderScan = 208;
constexpr int Export = 209;
constexpr int WriteCueToMp3 = 210;
constexpr int Exit = 211;
constexpr int SwapTitles = 212;
constexpr int Settings = 213;
constexpr int Readme = 214;
constexpr int About = 215;
constexpr int Lookup = 216;
constexpr int InsertTrack = 301;
constexpr int Cut = 302;
constexpr int Copy = 303;
constexpr int Paste = 304;
constexpr int Delete = 305;
constexpr int MoveUp = 306;
constexpr int MoveDown = 307;
constexpr int Properties = 308;
constexpr int Undo = 309;
constexpr int Redo = 310;
}  // namespace cmd

// The texts of a command: its menu text (with "\t" before its key text) and its help line.
struct CommandTexts {
    int command;
    StringId menu;
    StringId help;
};
inline constexpr CommandTexts CommandTextTable[] = {
    {cmd::New, str::MenuNew, str::StatusNew},
    {cmd::Open, str::MenuOpen, str::StatusOpen},
    {cmd::Save, str::MenuSave, str::StatusSave},
    {cmd::SaveAs, str::MenuSaveAs, str::StatusSaveAs},
    {cmd::FreeDbSearch, str::MenuSearch, str::StatusSearch},
    {cmd::FreeDbFetch, str::MenuFetch, str::StatusFetch},
    {cmd::Mp3Scan, str::MenuScanMp3, str::StatusScanMp3},
    {cmd::FolderScan, str::MenuScanFolder, str::StatusScanFolder},
    {cmd::Export, str::MenuExportFile, str::StatusExport},
    {cmd::WriteCueToMp3, str::MenuWriteTag, str::StatusWriteTag},
    {cmd::Exit, str::MenuExit, str::StatusExit},
    {cmd::SwapTitles, str::MenuSwapTitles, str::StatusSwapTitles},
    {cmd::Settings, str::MenuSettings, str::StatusSettings},
    {cmd::Readme, str::MenuReadme, str::StatusReadme},
    {cmd::About, str::MenuAbout, str::StatusAbout},
    {cmd::Lookup, str::LookupMenu, str::LookupStatus},
    {cmd::InsertTrack, str::MenuInsert, str::StatusInsert},
    {cmd::Cut, str::MenuCut, str::StatusCut},
    {cmd::Copy, str::MenuCopy, str::StatusCopy},
    {cmd::Paste, str::MenuPaste, str::StatusPaste},
    {cmd::Delete, str::MenuDelete, str::StatusDelete},
    {cmd::MoveUp, str::MenuMoveUp, str::StatusMoveUp},
    {cmd::MoveDown, str::MenuMoveDown, str::StatusMoveDown},
    {cmd::Properties, str::MenuProperties, str::StatusProperties},
    {cmd::Undo, str::MenuUndo, str::StatusUndo},
    {cmd::Redo, str::MenuRedo, str::StatusRedo},
};

constexpr StringId MenuTextId(int command) {
    for (const CommandTexts& texts : CommandTextTable) {
        if (texts.command == command) {
            return texts.menu;
        }
    }
    return StringId::None;
}
constexpr StringId HelpTextId(int command) {
    for (const CommandTexts& texts : CommandTextTable) {
        if (texts.command == command) {
            return texts.help;
        }
    }
    return StringId::None;
}

}  // namespace tracklore::app
