#include "settings/Settings.h"

#include <algorithm>

#include "resources/Strings.h"

namespace tracklore {

void ApplyDefaultSettings(Settings& settings) {
    settings = Settings{};
    // The address is the same in every language's table.
    settings.URL = std::string(StringTable::German().Text(str::FetchDefaultUrl));
}

Settings DefaultSettings() {
    Settings settings;
    ApplyDefaultSettings(settings);
    return settings;
}

void AddRecentFile(std::vector<std::string>& list, const std::string& path) {
    if (path.empty()) {
        return;
    }
    RemoveRecentFile(list, path);
    list.insert(list.begin(), path);
    if (list.size() > MaxRecentFiles) {
        list.resize(MaxRecentFiles);
    }
}

void RemoveRecentFile(std::vector<std::string>& list, const std::string& path) {
    list.erase(std::remove(list.begin(), list.end(), path), list.end());
}

}  // namespace tracklore
