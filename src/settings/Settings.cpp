#include "settings/Settings.h"

#include "resources/Strings.h"

namespace tracklore {

void ApplyDefaultSettings(Settings& settings) {
    settings = Settings{};
    settings.URL = std::string(String(str::FetchDefaultUrl));
}

Settings DefaultSettings() {
    Settings settings;
    ApplyDefaultSettings(settings);
    return settings;
}

}  // namespace tracklore
