#include "model/TrackList.h"

#include <algorithm>

#include <cstdio>

namespace tracklore {

std::int32_t TrackLength(const TrackList& list, int index) {
    if (index < 0 || index >= list.trackCount || index > MaxTracks) {
        return UnknownLength;
    }
    if (index == list.trackCount - 1) {
        if (list.cd.totalSeconds == 0) {
            return UnknownLength;
        }
        return static_cast<std::int32_t>(static_cast<std::int64_t>(list.cd.totalSeconds) *
                                             FramesPerSecond -
                                         list.tracks[index].start);
    }
    return static_cast<std::int32_t>(static_cast<std::int64_t>(list.tracks[index + 1].start) -
                                     list.tracks[index].start);
}

std::int32_t BoundedBy(std::int64_t value, std::int32_t bound) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, -bound, bound));
}

std::int32_t DigitSum(std::int32_t value) {
    std::int32_t sum = 0;
    while (value > 0) {
        sum += value % 10;
        value /= 10;
    }
    return sum;
}

std::string ComputeDiscId(const TrackList& list) {
    // Without the disc positions of every track the ID cannot be formed: the one held stays.
    if (UnplacedFile(list) != nullptr) {
        return list.cd.discId.str();
    }
    if (list.cd.totalSeconds <= 0) {
        return "00000000";
    }
    auto secondsOf = [](std::int32_t start) {
        // Starts are not negative in any list a reader or editor produces; a hostile file
        // could still give one, and the arithmetic must stay defined then.
        std::int64_t s = start < 0 ? 0 : start;
        std::int64_t minutes = s / 4500;
        std::int64_t seconds = (s % 4500) / 75;
        return minutes * 60 + seconds;
    };
    std::int64_t n = 0;
    const int count =
        list.trackCount < 0 ? 0 : (list.trackCount > MaxTracks ? MaxTracks : list.trackCount);
    for (int k = 0; k < count; ++k) {
        n += DigitSum(static_cast<std::int32_t>(secondsOf(list.tracks[k].start)));
    }
    std::int64_t first = count > 0 ? secondsOf(list.tracks[0].start) : 0;
    std::int64_t t = list.cd.totalSeconds - first;
    std::uint32_t id = (static_cast<std::uint32_t>(n % 255) << 24) |
                       (static_cast<std::uint32_t>(t) << 8) | static_cast<std::uint32_t>(count);
    char text[16];
    std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(id));
    return text;
}

void ResetTrackList(TrackList& list) {
    for (auto& track : list.tracks) {
        track = Track{};
    }
    list.cd = CdInfo{};
    list.trackCount = 0;
    list.documentPath.clear();
    list.documentKind = DocumentKindCue;
    list.encoding = TextEncoding{};
}

}  // namespace tracklore

namespace tracklore {

const AudioFileLine* UnplacedFile(const TrackList& list) {
    const auto& files = list.cd.files;
    for (std::size_t i = 0; i + 1 < files.size(); ++i) {
        if (files[i].length < 0) {
            return &files[i];
        }
    }
    return nullptr;
}

std::int32_t ShownTrackLength(const TrackList& list, int index) {
    if (index >= 0 && index + 1 < list.trackCount && index + 1 <= MaxTracks) {
        const int next = FileOfTrack(list, index + 1);
        if (next >= 0 && next != FileOfTrack(list, index) && !list.cd.files[next].placed) {
            return UnknownLength;
        }
    }
    return TrackLength(list, index);
}

int FileOfTrack(const TrackList& list, int index) {
    const int files = static_cast<int>(list.cd.files.size());
    if (files == 0) {
        return -1;
    }
    for (int i = std::min(index, MaxTracks); i >= 0; --i) {
        const int file = list.tracks[i].file;
        if (file >= 0 && file < files) {
            return file;
        }
    }
    return 0;
}

}  // namespace tracklore
