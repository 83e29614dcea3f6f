#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace tracklore {

// The SHA-1 digest of the bytes (FIPS 180-4), for the MusicBrainz disc ID.
std::array<std::uint8_t, 20> Sha1(std::string_view bytes);

}  // namespace tracklore
