#include <algorithm>

#include "formats/CueSheet.h"
#include "model/FieldText.h"
#include "model/Text.h"
#include "model/Time.h"
#include "resources/Version.h"

namespace tracklore {

namespace {
std::string BaseNameOf(const TrackList& doc) {
    if (!doc.cd.audioFile.empty()) {
        return FileNamePart(doc.cd.audioFile);
    }
    if (!doc.cd.artist.empty()) {
        return doc.cd.artist.str() + " - " + doc.cd.title.str();
    }
    if (!doc.cd.title.empty()) {
        return doc.cd.title.str();
    }
    if (!doc.cd.discId.empty()) {
        return doc.cd.discId.str();
    }
    return "filename";
}

// The position INDEX times count from. The reader adds the 150 frames of the lead-in to every
// INDEX time, so INDEX 01 = start - 150 reads back to the same start; a first track that
// starts earlier than that counts from its own start, as no INDEX time can be negative.
std::int32_t CueOrigin(const TrackList& doc, int count) {
    return count > 0 ? std::min(doc.tracks[0].start, std::int32_t{LeadInFrames}) : 0;
}

int TrackCount(const TrackList& doc) {
    return doc.trackCount < 0 ? 0 : std::min(doc.trackCount, MaxTracks);
}
}  // namespace

namespace {
// The disc position the INDEX times of `file` count from: the origin for the first file (and
// for a sheet with one file), else where the file was placed when the sheet was read.
std::int32_t FilePosition(const TrackList& doc, int file, std::int32_t origin) {
    if (file <= 0 || file >= static_cast<int>(doc.cd.files.size())) {
        return origin;
    }
    return doc.cd.files[file].position;
}

// The file of a kept INDEX line: its own, else its track's.
int FileOfLine(const KeptLine& line, int trackFile) {
    return line.file >= 0 ? line.file : trackFile;
}
}  // namespace

int FirstTrackBeforeCueOrigin(const TrackList& doc) {
    const int count = TrackCount(doc);
    const std::int32_t origin = CueOrigin(doc, count);
    for (int n = 1; n <= count; ++n) {
        const Track& track = doc.tracks[n - 1];
        const int file = FileOfTrack(doc, n - 1);
        const std::int32_t from = FilePosition(doc, file, origin);
        // A first track before frame 0 would need a negative PREGAP.
        if (track.start < std::max(from, std::int32_t{0})) {
            return n;
        }
        // An INDEX 00 kept with the track moves with it and must not fall before its file.
        for (const KeptLine& line : track.lines) {
            if (line.index >= 0 && std::int64_t{track.start} + line.offset <
                                       FilePosition(doc, FileOfLine(line, file), origin)) {
                return n;
            }
        }
    }
    return 0;
}

namespace {

// A kept line as it is written: a field line with the field's value (its own value while the
// field still holds it), an INDEX with its time after the track's INDEX 01, any other as read.
std::string KeptLineText(const KeptLine& line, const TrackList& doc, std::int64_t indexOne,
                         TimeFormat format) {
    if (line.index >= 0) {
        return FormatText("INDEX %02d ", {line.index}) + FormatTime(indexOne, format);
    }
    auto withValue = [&line](const std::string& field, std::size_t capacity) {
        const std::string& value = field == CutToField(line.value, capacity) ? line.value : field;
        return line.prefix + value + line.suffix;
    };
    switch (line.field) {
        case KeptLine::Field::Genre:
            return withValue(doc.cd.genre.str(), doc.cd.genre.capacity);
        case KeptLine::Field::Year:
            return withValue(doc.cd.year.str(), doc.cd.year.capacity);
        case KeptLine::Field::DiscId:
            return withValue(doc.cd.discId.str(), doc.cd.discId.capacity);
        case KeptLine::Field::None:
            break;
    }
    return line.text;
}

const std::string& FieldOf(const TrackList& doc, KeptLine::Field field) {
    static const std::string none;
    switch (field) {
        case KeptLine::Field::Genre:
            return doc.cd.genre.str();
        case KeptLine::Field::Year:
            return doc.cd.year.str();
        case KeptLine::Field::DiscId:
            return doc.cd.discId.str();
        case KeptLine::Field::None:
            break;
    }
    return none;
}

bool GivesField(const TrackList& doc, KeptLine::Field field) {
    return std::any_of(doc.cd.lines.begin(), doc.cd.lines.end(),
                       [field](const KeptLine& line) { return line.field == field; });
}

}  // namespace

std::string CueSheetText(const TrackList& doc, TimeFormat format, CueFileLines fileLines) {
    const std::string base = BaseNameOf(doc);
    std::string text;
    auto line = [&text](const std::string& content) {
        text += content;
        text += "\r\n";
    };
    if (!doc.cd.title.empty()) {
        line("TITLE " + Quote(doc.cd.title));
    }
    if (!doc.cd.artist.empty() && !(doc.cd.artistByDefault && doc.cd.artist.str() == "Various")) {
        line("PERFORMER " + Quote(doc.cd.artist));
    }
    line(std::string("REM ** Generated by ") + VersionText + " **");
    if (doc.cd.totalSeconds > 0) {
        line("REM " +
             FormatText(
                 "Time  : %s",
                 {FormatTimeShort(std::int64_t{doc.cd.totalSeconds} * FramesPerSecond, format)}));
        line("REM " + FormatText("Length: %0d seconds", {doc.cd.totalSeconds}));
    }
    // The fields a line of the sheet gave are written in that line's form further down.
    if (!doc.cd.year.empty() && !GivesField(doc, KeptLine::Field::Year)) {
        line("REM Year  : " + doc.cd.year.str());
    }
    if (!doc.cd.genre.empty() && !GivesField(doc, KeptLine::Field::Genre)) {
        line("REM Genre : " + doc.cd.genre.str());
    }
    if (!doc.cd.discId.empty() && !GivesField(doc, KeptLine::Field::DiscId)) {
        line("REM DiscID: " + doc.cd.discId.str());
    }
    for (const KeptLine& kept : doc.cd.lines) {
        // A field line goes with its field: once the field is emptied, the line is gone too.
        if (kept.field == KeptLine::Field::None || !FieldOf(doc, kept.field).empty()) {
            line(KeptLineText(kept, doc, 0, format));
        }
    }
    // A sheet of its own files writes each FILE line before the first INDEX line that counts
    // in it, so a file that begins inside a track (its INDEX 00 in the file before) stays so.
    const bool ownFiles = fileLines == CueFileLines::Own && !doc.cd.files.empty();
    int fileWritten = -1;
    auto toFile = [&](int file) {
        if (!ownFiles || file == fileWritten) {
            return;
        }
        if (file < fileWritten) {
            fileWritten = file - 1;  // tracks moved across files: the file is named again
        }
        while (fileWritten < file) {
            const AudioFileLine& next = doc.cd.files[++fileWritten];
            line("FILE " + Quote(next.name) + " " + next.type);
        }
    };
    if (!ownFiles) {
        line("FILE " + Quote(base + ".mp3") + " MP3");
    }
    const int count = TrackCount(doc);
    const std::int32_t origin = CueOrigin(doc, count);
    // A track by the album artist needs no PERFORMER line, unless the album title holds an
    // artist/title separator: the reader then takes such a track's performer from its title.
    const bool performerFromTitle = !ArtistPart(doc.cd.title.str()).empty();
    for (int n = 1; n <= count; ++n) {
        const Track& track = doc.tracks[n - 1];
        const int trackFile = ownFiles ? FileOfTrack(doc, n - 1) : 0;
        // The time of an INDEX line within its file, and the FILE line it needs first.
        auto indexTime = [&](const KeptLine* kept) {
            const int file = kept ? FileOfLine(*kept, trackFile) : trackFile;
            const std::int64_t at = std::int64_t{track.start} + (kept ? kept->offset : 0);
            toFile(file);
            return at - (ownFiles ? FilePosition(doc, file, origin) : origin);
        };
        int firstFile = trackFile;
        for (const KeptLine& kept : track.lines) {
            if (kept.index >= 0 && !kept.afterIndex) {
                firstFile = FileOfLine(kept, trackFile);
                break;
            }
        }
        // A track that begins in the file before its first INDEX line stays so.
        if (track.fileAtTrackLine >= 0 && track.fileAtTrackLine < firstFile) {
            firstFile = track.fileAtTrackLine;
        }
        toFile(firstFile);
        line(FormatText("  TRACK %02d ", {n}) + track.type);
        if (!track.title.empty()) {
            line("    TITLE " + Quote(track.title));
        }
        if (!track.performer.empty() && (track.performer.str() != doc.cd.artist.str() ||
                                         performerFromTitle || track.performerLine)) {
            line("    PERFORMER " + Quote(track.performer));
        }
        bool ownPregap = false;
        for (const KeptLine& kept : track.lines) {
            if (!kept.afterIndex && kept.index < 0) {
                ownPregap = ownPregap || ToUpperAscii(kept.text.substr(0, 7)) == "PREGAP ";
                line("    " + KeptLineText(kept, doc, 0, format));
            }
        }
        if (n == 1 && !ownPregap) {
            line("    PREGAP " + FormatTime(origin, format));
        }
        for (const KeptLine& kept : track.lines) {
            if (!kept.afterIndex && kept.index >= 0) {
                const std::int64_t time = indexTime(&kept);
                line("    " + KeptLineText(kept, doc, time, format));
            }
        }
        // A track the sheet gave no INDEX 01 gets none while it starts where it was read.
        if (track.startWithoutIndexOne < 0 || track.startWithoutIndexOne != track.start) {
            const std::int64_t indexOne = indexTime(nullptr);
            line("    INDEX 01 " + FormatTime(indexOne, format));
        }
        for (const KeptLine& kept : track.lines) {
            if (kept.afterIndex) {
                const std::int64_t time = kept.index >= 0 ? indexTime(&kept) : 0;
                line("    " + KeptLineText(kept, doc, time, format));
            }
        }
    }
    if (ownFiles) {
        toFile(static_cast<int>(doc.cd.files.size()) - 1);  // files no INDEX line counts in
    }
    return text;
}

std::string CueSheetBaseName(const TrackList& doc) {
    return BaseNameOf(doc);
}

std::string WriteCueSheet(TrackList& doc, TimeFormat format) {
    std::string text = CueSheetText(doc, format, CueFileLines::Own);
    if (doc.cd.audioFile.empty()) {
        doc.cd.audioFile = BaseNameOf(doc);
    }
    return text;
}

}  // namespace tracklore
