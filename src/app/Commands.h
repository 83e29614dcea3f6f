#pragma once

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
constexpr int InsertTrack = 301;
constexpr int Cut = 302;
constexpr int Copy = 303;
constexpr int Paste = 304;
constexpr int Delete = 305;
constexpr int MoveUp = 306;
constexpr int MoveDown = 307;
constexpr int Properties = 308;
}  // namespace cmd

// The string of a command's menu text (with "\t" before its key text) and of its help.
constexpr int MenuTextId(int command) {
    return 4000 + command;
}
constexpr int HelpTextId(int command) {
    return 1800 + command;
}

}  // namespace tracklore::app
