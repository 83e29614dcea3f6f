#include "model/WindowTexts.h"

#include "model/Cp1252.h"
#include "model/Encoding.h"
#include "model/Text.h"
#include "model/Time.h"
#include "resources/Strings.h"

namespace tracklore {

namespace {}  // namespace

std::string WindowTitle(const TrackList& doc, const StringTable& strings) {
    if (doc.documentPath.empty()) {
        return std::string(strings.Text(str::AppName));
    }
    // The path holds the file system's bytes (UTF-8); the title is Windows-1252 text.
    std::string name = FileNameText(FileNamePart(doc.documentPath));
    if (doc.modified) {
        name += " *";
    }
    return strings.Format(str::TitleWithName, {name});
}

std::array<std::string, 4> StatusBarTexts(TrackList& doc, TimeFormat format,
                                          const StringTable& strings) {
    std::array<std::string, 4> parts;
    parts[3] = doc.encoding.Name();
    parts[0] = strings.Format(str::TrackCountText, {doc.trackCount});
    if (doc.cd.totalSeconds != 0) {
        doc.cd.discId = ComputeDiscId(doc);
        parts[1] = strings.Format(str::DiscIdText, {doc.cd.discId.str()});
        parts[2] = strings.Format(
            str::TotalText,
            {FormatTimeShort(std::int64_t{doc.cd.totalSeconds} * FramesPerSecond, format)});
    }
    return parts;
}

std::array<std::string, 4> TrackRowTexts(const TrackList& doc, int index, TimeFormat format,
                                         const StringTable& strings) {
    std::array<std::string, 4> texts;
    if (index < 0 || index >= doc.trackCount) {
        return texts;
    }
    const Track& track = doc.tracks[index];
    texts[0] = " " + std::to_string(index + 1);
    texts[1] = track.performer.str();
    // A data track (the programme part of a CD-Extra or video CD) is named so in the list.
    texts[2] = track.title.empty() && !track.IsAudio()
                   ? strings.Format(str::DataTrack, {track.type})
                   : track.title.str();
    std::int32_t length = ShownTrackLength(doc, index);
    texts[3] = length == UnknownLength ? std::string(strings.Text(str::UnknownLength))
                                       : FormatTimeShort(length, format);
    return texts;
}

EditMenuState ComputeEditMenuState(int selected, int trackCount, bool clipboardHasText) {
    EditMenuState state;
    const bool none = selected < 0 || selected >= trackCount;
    state.insert = true;
    state.cut = state.copy = state.remove = state.properties = !none;
    state.paste = clipboardHasText;
    state.moveUp = !none && selected != 0;
    state.moveDown = !none && selected != trackCount - 1;
    state.swapTitles = trackCount > 0;
    return state;
}

}  // namespace tracklore
