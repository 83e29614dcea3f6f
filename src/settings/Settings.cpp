#include "settings/Settings.h"

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

}  // namespace tracklore
