#include "settings/SettingsFile.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <type_traits>

#include "model/Cp1252.h"
#include "model/SafeFile.h"
#include "model/Text.h"
#include "resources/Strings.h"
#include "settings/IniFile.h"

namespace tracklore {

namespace {
constexpr std::string_view StateSection = "State";
constexpr std::string_view FreeDbSection = "FreeDB";
constexpr std::string_view FormatsSection = "Formats";
constexpr std::string_view ScanSection = "MP3Scan";
constexpr std::string_view RecentSection = "Recent";
constexpr std::string_view WindowSection = "Window";
constexpr std::string_view GeometryKey = "Geometry";

// The key of entry `index` (0-based) of the recent files: File1 … File8.
std::string RecentFileKey(std::size_t index) {
    return "File" + std::to_string(index + 1);
}
constexpr std::string_view InterfaceSection = "Interface";

// One key, bound to its field, so reading and writing walk the same table in the same order.
struct TextKey {
    std::string_view section;
    std::string_view name;
    std::string Settings::*field;
    // A key added after files were first written: while it holds this value and the file
    // lacks it, it is not written, so such a file stays as it was (empty: always written).
    std::string_view unwrittenDefault = {};
};
struct NumberKey {
    std::string_view section;
    std::string_view name;
    int Settings::*field;
};

template <typename Fn>
void ForEachKey(bool withState, Fn&& fn) {
    if (withState) {
        fn(TextKey{StateSection, "LastDir", &Settings::LastDir});
        fn(TextKey{StateSection, "LastMP3Dir", &Settings::LastMP3Dir});
        fn(TextKey{StateSection, "LastFileMask", &Settings::LastFileMask});
        fn(NumberKey{StateSection, "ScanID3v2", &Settings::ScanID3v2});
        fn(NumberKey{StateSection, "ScanID3v1", &Settings::ScanID3v1});
        fn(NumberKey{StateSection, "ScanArchives", &Settings::ScanArchives});
        fn(NumberKey{StateSection, "LastSaveFilter", &Settings::LastSaveFilter});
        fn(NumberKey{StateSection, "LastExportFilter", &Settings::LastExportFilter});
        fn(NumberKey{StateSection, "SearchKeep", &Settings::SearchKeep});
    }
    fn(TextKey{FreeDbSection, "URL", &Settings::URL});
    fn(TextKey{FreeDbSection, "Email", &Settings::Email});
    fn(TextKey{FreeDbSection, "ClientName", &Settings::ClientName});
    fn(TextKey{FreeDbSection, "CddbAddress", &Settings::CddbAddress});
    fn(TextKey{FreeDbSection, "MusicBrainzAddress", &Settings::MusicBrainzAddress});
    fn(NumberKey{FormatsSection, "MSH", &Settings::MSH});
    fn(TextKey{FormatsSection, "LegacyCodePage", &Settings::LegacyCodePage});
    fn(NumberKey{FormatsSection, "SaveEncoding", &Settings::SaveEncoding});
    fn(NumberKey{ScanSection, "Priority", &Settings::Priority});
    fn(NumberKey{ScanSection, "WriteChapters", &Settings::WriteChapters});
    fn(TextKey{InterfaceSection, "Language", &Settings::Language, LanguageSettingAutomatic});
}

bool FolderWritable(const std::string& folder) {
    return !folder.empty() && access(folder.c_str(), W_OK | X_OK) == 0;
}
}  // namespace

std::string SettingsFileName(std::string_view executableName) {
    std::string name = FileNamePart(executableName);
    std::size_t dot = name.rfind('.');
    if (dot != std::string::npos) {
        name.erase(dot);
    }
    return name + ".ini";
}

std::string UserConfigFolder() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/') {
        return xdg;
    }
    const char* home = std::getenv("HOME");
    std::string base = home && home[0] ? home : ".";
    return base + "/.config";
}

std::string SettingsFilePathFor(std::string_view programName, const std::string& executableFolder) {
    std::string fileName = SettingsFileName(programName);
    if (FolderWritable(executableFolder)) {
        return WithTrailingSeparator(executableFolder) + fileName;
    }
    return WithTrailingSeparator(UserConfigFolder()) + fileName;
}

std::string SettingsFilePath(const std::string& executablePath) {
    std::string folder = DirPart(executablePath);
    if (!folder.empty() && folder.size() > 1) {
        folder.pop_back();  // the trailing separator
    }
    return SettingsFilePathFor(FileNamePart(executablePath), folder.empty() ? "." : folder);
}

std::string RunningExecutablePath() {
    std::error_code ec;
    auto path = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : path.string();
}

void ReadSettings(Settings& settings, const std::string& path, bool withState) {
    std::string bytes;
    if (ReadWholeFile(path, bytes)) {
        ReadSettingsText(settings, bytes, withState);
    }
}

void ReadSettingsText(Settings& settings, std::string_view text, bool withState) {
    // The file is UTF-8; one written before was Windows-1252.
    const IniFile file(IsValidUtf8(text) ? std::string(text) : Cp1252ToUtf8(text));
    auto lookup = [&](std::string_view section, std::string_view name) -> std::string {
        auto value = file.Get(section, name);
        if (!value) {
            return {};
        }
        if (value->size() > MaxSettingsValueLength) {
            value->resize(MaxSettingsValueLength);
        }
        return *value;
    };
    ForEachKey(withState, [&](auto key) {
        std::string value = lookup(key.section, key.name);
        if (value.empty()) {
            return;  // the field keeps its value
        }
        if constexpr (std::is_same_v<decltype(key), TextKey>) {
            settings.*key.field = value;
        } else {
            settings.*key.field = ParseLeadingInt(value);
        }
    });
    if (withState) {
        if (std::string geometry = lookup(WindowSection, GeometryKey); !geometry.empty()) {
            settings.WindowGeometry = std::move(geometry);
        }
        settings.RecentFiles.clear();
        for (std::size_t i = 0; i < MaxRecentFiles; ++i) {
            std::string path = lookup(RecentSection, RecentFileKey(i));
            if (!path.empty() && std::find(settings.RecentFiles.begin(), settings.RecentFiles.end(),
                                           path) == settings.RecentFiles.end()) {
                settings.RecentFiles.push_back(std::move(path));
            }
        }
    }
}

bool WriteSettings(const Settings& settings, const std::string& path, bool withState) {
    IniFile file;
    file.Load(path);  // a missing file starts empty
    ForEachKey(withState, [&](auto key) {
        if constexpr (std::is_same_v<decltype(key), TextKey>) {
            const std::string& value = settings.*key.field;
            if (!key.unwrittenDefault.empty() && value == key.unwrittenDefault &&
                !file.Get(key.section, key.name)) {
                return;
            }
            file.Set(key.section, key.name, value);
        } else {
            file.Set(key.section, key.name, std::to_string(settings.*key.field));
        }
    });
    if (withState) {
        // These keys come into the file once they have a value; a key the file holds is
        // always written, so an entry that left the list of recent files leaves the file too.
        auto put = [&file](std::string_view section, std::string_view key,
                           const std::string& value) {
            if (!value.empty() || file.Get(section, key)) {
                file.Set(section, key, value);
            }
        };
        put(WindowSection, GeometryKey, settings.WindowGeometry);
        for (std::size_t i = 0; i < MaxRecentFiles; ++i) {
            put(RecentSection, RecentFileKey(i),
                i < settings.RecentFiles.size() ? settings.RecentFiles[i] : std::string());
        }
    }
    std::error_code ec;
    std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (!folder.empty()) {
        std::filesystem::create_directories(folder, ec);
    }
    return WriteFileSafely(path, file.Text());
}

}  // namespace tracklore
