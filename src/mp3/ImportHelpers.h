#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "model/Cp1252.h"
#include "model/Encoding.h"
#include "model/TrackList.h"
#include "mp3/ByteSource.h"

namespace tracklore {

// Whole number nearest below `value`, held in the int32 range (a bogus length in a header
// can give times far beyond any album; they must not overflow).
inline std::int32_t ClampToInt32(double value) {
    if (!(value == value)) {
        return 0;
    }
    if (value >= static_cast<double>(std::numeric_limits<std::int32_t>::max())) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (value <= static_cast<double>(std::numeric_limits<std::int32_t>::min())) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(std::floor(value));
}

// A running time in seconds (a 32-bit float sum of durations) turned into CD frames, rounded
// to the nearest frame. The product is taken in double precision from the float value.
inline std::int32_t SecondsToFrames(float seconds) {
    return ClampToInt32(75.0 * static_cast<double>(seconds) + 0.5);
}

// A running time rounded to whole seconds.
inline std::int32_t RoundSeconds(float seconds) {
    return ClampToInt32(static_cast<double>(seconds) + 0.5);
}

// A file or folder name from the file system (UTF-8 on Linux) as a text to show: a track
// title, an album title, a path in a message. The audio file name, which must keep naming
// the file, is kept as it stands.
inline std::string NameText(std::string_view name) {
    return FileNameText(name);
}

// A track list built by measuring tracks in a file, and the first track (1-based) that did
// not measure as MPEG audio (0 when all did); the list then holds only the tracks before it.
struct MeasuredList {
    TrackList list;
    int unmeasuredTrack = 0;
};

// Measures track `number` (1-based) of `list`: the `bytes` bytes from `start` in the file,
// less the 128-byte ID3v1 record that closes them. The track starts at the running time,
// which then grows by the duration (a 32-bit float sum). When the stretch is not MPEG audio
// of two seconds, the list keeps only the tracks before it and the result is false.
bool PlaceMeasuredTrack(TrackList& list, ByteSource& file, std::int64_t start, std::int64_t bytes,
                        int number, float& runningTime);

}  // namespace tracklore
