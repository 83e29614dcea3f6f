#include "freedb/Database.h"

#include "model/Text.h"

namespace tracklore {

std::string_view DatabaseSourceName(DatabaseSource source) {
    return source == DatabaseSource::Gnudb ? "gnudb" : "musicbrainz";
}

std::optional<DatabaseSource> DatabaseSourceFromName(std::string_view name) {
    if (name == "gnudb") {
        return DatabaseSource::Gnudb;
    }
    if (name == "musicbrainz") {
        return DatabaseSource::MusicBrainz;
    }
    return std::nullopt;
}

std::optional<DiscToc> TocOfTrackList(const TrackList& list) {
    if (list.trackCount <= 0 || list.trackCount > MaxTracks || list.cd.totalSeconds <= 0 ||
        UnplacedFile(list) != nullptr) {
        return std::nullopt;
    }
    DiscToc toc;
    for (int k = 0; k < list.trackCount; ++k) {
        const std::int32_t start = list.tracks[k].start;
        if (start < 0 || (!toc.offsets.empty() && start <= toc.offsets.back())) {
            return std::nullopt;
        }
        toc.offsets.push_back(start);
    }
    // The end of the last audio file is known in frames when every file was measured.
    const auto& files = list.cd.files;
    if (!files.empty() && files.back().length != UnknownLength && files.back().placed) {
        toc.leadout = files.back().position + files.back().length;
        toc.leadoutExact = true;
    } else {
        toc.leadout = static_cast<std::int32_t>(std::min<std::int64_t>(
            std::int64_t{list.cd.totalSeconds} * FramesPerSecond, MaxReadPosition));
    }
    if (toc.leadout <= toc.offsets.back()) {
        return std::nullopt;
    }
    return toc;
}

SearchWords SplitSearchWords(std::string_view words) {
    SearchWords split;
    const std::size_t slash = words.find(" / ");
    if (slash == std::string_view::npos) {
        split.artist = Trim(words);
    } else {
        split.artist = Trim(words.substr(0, slash));
        split.album = Trim(words.substr(slash + 3));
    }
    return split;
}

}  // namespace tracklore
