#include "model/Editing.h"

#include <cmath>

#include "model/Text.h"
#include "model/Time.h"

namespace tracklore {

namespace {
std::string LengthText(const TrackList& doc, int index, TimeFormat format,
                       const StringTable& strings) {
    std::int32_t length = TrackLength(doc, index);
    if (length == UnknownLength) {
        return std::string(strings.Text(str::UnknownLength));
    }
    return FormatTime(length, format);
}
}  // namespace

std::int32_t NearestSeconds(double frames) {
    return static_cast<std::int32_t>(std::floor(frames / FramesPerSecond + 0.5));
}

std::string TrackClipboardText(const TrackList& doc, int index, TimeFormat format,
                               const StringTable& strings) {
    if (index < 0 || index >= doc.trackCount) {
        return {};
    }
    const Track& track = doc.tracks[index];
    return track.performer.str() + '\t' + track.title.str() + '\t' +
           LengthText(doc, index, format, strings) + "\r\n";
}

std::string LimitClipboardText(std::string text) {
    if (text.size() + 1 >= ClipboardBlockLimit) {
        return {};
    }
    return text;
}

TrackProperties LoadTrackProperties(const TrackList& doc, int index, TimeFormat format) {
    TrackProperties shown;
    if (index < 0 || index >= doc.trackCount) {
        return shown;
    }
    shown.number = index + 1;
    shown.originalLength = TrackLength(doc, index);
    if (shown.originalLength != UnknownLength) {
        shown.lengthText = FormatTime(shown.originalLength, format);
    }
    shown.lengthLabelId = format == TimeFormat::Msh ? str::HundredthsUnit : str::FramesUnit;
    shown.title = doc.tracks[index].title.str();
    shown.performer = doc.tracks[index].performer.str();
    return shown;
}

StringId CheckTrackProperties(const TrackList& doc, int index, const TrackProperties& shown,
                              const TrackPropertiesEdit& edit, TimeFormat format,
                              std::int32_t* lengthOut) {
    std::int32_t length = UnknownLength;
    if (!edit.lengthText.empty()) {
        length = ParseTime(edit.lengthText, format);
        if (length == -1) {
            return str::BadLength;
        }
    }
    if (lengthOut) {
        *lengthOut = length;
    }
    if (length == shown.originalLength) {
        return StringId::None;
    }
    const bool last = index == doc.trackCount - 1;
    if (length == UnknownLength) {
        return last ? StringId::None : str::EmptyLengthNotLast;
    }
    if (length < MinTrackLength) {
        return str::TrackTooShort;
    }
    return StringId::None;
}

}  // namespace tracklore
