#include "mp3/ImportHelpers.h"

#include "mp3/Id3.h"
#include "mp3/Mpeg.h"

namespace tracklore {

bool PlaceMeasuredTrack(TrackList& doc, ByteSource& file, std::int64_t start, std::int64_t bytes,
                        int number, float& runningTime) {
    float duration = -1.0f;
    if (start >= 0) {
        file.SeekTo(static_cast<std::uint64_t>(start));
        duration = MpegDuration(file, bytes - static_cast<std::int64_t>(Id3v1Size));
    }
    if (duration == -1.0f) {
        // Only the tracks measured so far are complete.
        doc.trackCount = number - 1;
        doc.tracks[number - 1] = Track{};
        return false;
    }
    doc.tracks[number - 1].start = SecondsToFrames(runningTime);
    runningTime += duration;
    return true;
}

}  // namespace tracklore
