#include "model/Time.h"

#include <cmath>
#include <cstdio>

#include "model/Text.h"

namespace tracklore {

std::int32_t ParseTime(std::string_view input, TimeFormat format) {
    std::string text(input);
    if (text.size() == 7) {
        text.insert(text.begin(), '0');
    }
    if (text.size() != 8) {
        return -1;
    }
    if (TimeSeparators.find(text[2]) == std::string_view::npos ||
        TimeSeparators.find(text[5]) == std::string_view::npos) {
        return -1;
    }
    std::int64_t minutes = ParseLeadingInt(std::string_view(text).substr(0, 2));
    std::int64_t seconds = ParseLeadingInt(std::string_view(text).substr(3, 2));
    std::int64_t third = ParseLeadingInt(std::string_view(text).substr(6, 2));
    if (seconds >= 60) {
        minutes += seconds / 60;
        seconds %= 60;
    }
    std::int64_t result = 0;
    if (format == TimeFormat::Msf) {
        if (third >= 75) {
            return -1;
        }
        result = (minutes * 60 + seconds) * 75 + third;
    } else {
        double exact =
            static_cast<double>(minutes * 60 + seconds) + static_cast<double>(third) / 100;
        result = static_cast<std::int64_t>(std::floor(75 * exact + 0.5));
    }
    if (result < 0) {
        return -1;
    }
    return static_cast<std::int32_t>(result);
}

namespace {
std::string FormatWith(const char* pattern, std::int64_t frames, TimeFormat format) {
    std::int64_t s = frames / 75;
    std::int64_t minutes = s / 60;
    std::int64_t seconds = s - minutes * 60;
    std::int64_t third = frames % 75;
    if (format == TimeFormat::Msh) {
        // Rounded to the nearest hundredth, so that every text parses back to its frame count.
        third = std::lround(static_cast<double>(third) * 100.0 / 75.0);
    }
    char text[80];
    std::snprintf(text, sizeof text, pattern, static_cast<long long>(minutes),
                  static_cast<long long>(seconds), static_cast<long long>(third));
    return text;
}
}  // namespace

std::string FormatTime(std::int64_t frames, TimeFormat format) {
    return FormatWith("%02lld:%02lld:%02lld", frames, format);
}

std::string FormatTimeShort(std::int64_t frames, TimeFormat format) {
    return FormatWith("%0lld:%02lld:%02lld", frames, format);
}

}  // namespace tracklore
