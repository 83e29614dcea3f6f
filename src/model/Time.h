#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/TrackList.h"

namespace tracklore {

// The six characters that may separate the fields of a time text.
constexpr std::string_view TimeSeparators = ".:/-, ";

// "mm:ss:ff" or "m:ss:ff" (third field frames, or hundredths in M:S:H) -> frames, or -1.
std::int32_t ParseTime(std::string_view text, TimeFormat format);
// "%02d:%02d:%02d"; minutes are not limited to two digits.
std::string FormatTime(std::int64_t frames, TimeFormat format);
// "%0d:%02d:%02d" (string 1018): minutes without a leading zero.
std::string FormatTimeShort(std::int64_t frames, TimeFormat format);

}  // namespace tracklore
