#pragma once

namespace tracklore {

// The product name and version written into every file the program produces.
constexpr const char* VersionText = "Tracklore v1.6";

}  // namespace tracklore
