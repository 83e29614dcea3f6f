#pragma once

#include <string>
#include <string_view>

#include "settings/Settings.h"

namespace tracklore {

// The settings file of a program: its executable's file name up to (not including) the last
// "." followed by ".ini"; a name without "." gets ".ini" appended.
std::string SettingsFileName(std::string_view executableName);

// Where a program keeps its settings: beside its executable in `executableFolder` when that
// folder is writable, otherwise (an installed program) under the same name in the user's
// configuration folder, so settings are never silently lost. tracklore-cli finds the
// editor's settings with SettingsFilePathFor("tracklore", folder of the editor).
std::string SettingsFilePathFor(std::string_view programName, const std::string& executableFolder);
// The same for an executable named by its full path.
std::string SettingsFilePath(const std::string& executablePath);

// $XDG_CONFIG_HOME when it is an absolute path, else $HOME/.config (no trailing "/").
std::string UserConfigFolder();
// The full path of the running executable; empty when it cannot be found.
std::string RunningExecutablePath();

// Reads the shared keys (URL, MSH, Priority) from the file, and before them the state keys
// when `withState` is set. A missing file, section or key, or an empty value, leaves the
// field as it is; a number is the decimal number at the start of its text, truncated toward
// zero (1.9 gives 1; letters give 0). With the state keys come the window's geometry and the
// recent files ([Recent] File1 … File8, which replace the list; duplicates are dropped).
// Nothing is reported.
void ReadSettings(Settings& settings, const std::string& path, bool withState);
// The same for the text of a settings file.
void ReadSettingsText(Settings& settings, std::string_view text, bool withState);

// Writes the state keys when `withState` is set, then the shared keys, in the order in which
// they are read, and with the state keys the window's geometry and the recent files after
// them (only once they have a value, or the file holds them); every other line of the file
// stays. The file is replaced safely and its
// folder created when missing. False when it could not be written (nothing is reported and
// nothing changes in memory).
bool WriteSettings(const Settings& settings, const std::string& path, bool withState);

// A value as the settings file holds it: at most 2046 bytes are read.
constexpr std::size_t MaxSettingsValueLength = 2046;

}  // namespace tracklore
