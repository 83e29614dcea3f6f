#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <optional>

#include "formats/CueSheet.h"
#include "model/Text.h"

namespace tracklore {

namespace {

// Cuts a trailing comment: the first ";" outside double quotes.
std::string_view CutComment(std::string_view argument) {
    bool inQuotes = false;
    for (std::size_t i = 0; i < argument.size(); ++i) {
        if (argument[i] == '"') {
            inQuotes = !inQuotes;
        } else if (argument[i] == ';' && !inQuotes) {
            return argument.substr(0, i);
        }
    }
    return argument;
}

bool AllDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The keywords this reader knows; a sheet needs one of them.
bool IsKnownKeyword(std::string_view upper) {
    for (std::string_view known :
         {"REM", "PERFORMER", "TITLE", "FILE", "TRACK", "INDEX", "CATALOG", "CDTEXTFILE", "FLAGS",
          "ISRC", "POSTGAP", "PREGAP", "SONGWRITER"}) {
        if (upper == known) {
            return true;
        }
    }
    return false;
}

class CueReader {
  public:
    CueReader(TimeFormat format, const AudioLengthProbe& probe) : format_(format), probe_(probe) {}

    CueSheetRead Read(std::string_view text) {
        text = SkipUtf8Bom(text);
        ForEachLine(text, MaxLineLength, [this](std::string_view raw) {
            ++lineNumber_;
            return ReadLine(Trim(raw));
        });
        // Commands of other programs are kept, but a text without a single command of a cue
        // sheet is none: it is refused at its first unknown line.
        if (!result_.error && !knownSeen_ && firstUnknown_) {
            result_.error = firstUnknown_;
        }
        if (result_.error) {
            result_.list = TrackList{};
            return std::move(result_);
        }
        Finish();
        return std::move(result_);
    }

  private:
    void Fail(StringId textId, const std::string& line, bool withLine) {
        result_.error = ReadError{textId, lineNumber_, withLine ? line : std::string(), withLine};
    }

    int CurrentFile() const { return static_cast<int>(doc_.cd.files.size()) - 1; }

    Track* CurrentTrack() { return currentTrack_ == 0 ? nullptr : &doc_.tracks[currentTrack_ - 1]; }

    // Keeps a line as it stands, at the disc or with the current track.
    void Keep(const std::string& line) {
        KeptLine kept;
        kept.text = line;
        if (Track* track = CurrentTrack()) {
            kept.afterIndex = indexOneSeen_;
            track->lines.push_back(std::move(kept));
        } else {
            doc_.cd.lines.push_back(std::move(kept));
        }
    }

    bool ReadLine(const std::string& line) {
        std::size_t space = line.find(' ');
        std::string keyword = Trim(std::string_view(line).substr(0, space));
        std::string_view rest = space == std::string::npos
                                    ? std::string_view()
                                    : std::string_view(line).substr(space + 1);
        std::string argument = Trim(CutComment(rest));
        std::string upper = ToUpperAscii(keyword);
        if (upper.empty()) {
            return true;
        }
        if (IsKnownKeyword(upper)) {
            knownSeen_ = true;
        }

        if (upper == "REM") {
            ReadRem(line, Trim(rest));
        } else if (upper == "PERFORMER") {
            if (Track* track = CurrentTrack()) {
                track->performer = Unquote(argument);
                track->performerLine = !track->performer.empty();
            } else {
                doc_.cd.artist = Unquote(argument);
            }
        } else if (upper == "TITLE") {
            if (Track* track = CurrentTrack()) {
                track->title = Unquote(argument);
            } else {
                doc_.cd.title = Unquote(argument);
            }
        } else if (upper == "FILE") {
            ReadFile(argument);
        } else if (upper == "TRACK") {
            return ReadTrack(argument, line);
        } else if (upper == "INDEX") {
            return ReadIndex(argument, line);
        } else if (upper == "PREGAP" && currentTrack_ == 1 && Trim(argument) == "00:02:00") {
            // The lead-in this program writes before the first track; it is made anew.
        } else if (upper == "PREGAP" || upper == "POSTGAP") {
            // Kept as written, once its time reads.
            if (!ReadTime(argument, line)) {
                return false;
            }
            Keep(line);
        } else if (IsKnownKeyword(upper)) {
            Keep(line);  // CATALOG, CDTEXTFILE, FLAGS, ISRC, SONGWRITER
        } else {
            // A command of another program: kept, as long as the sheet has commands of its own.
            if (!firstUnknown_) {
                firstUnknown_ = ReadError{str::UnknownKeyword, lineNumber_, line, true};
            }
            Keep(line);
        }
        return true;
    }

    // A REM line: the forms this program writes itself are read into their fields and made
    // anew when saved ("REM Year  : 2003"); the common forms of other programs give their
    // field and are kept in their own form ("REM GENRE Rock", "REM DATE \"1999\""); every
    // other REM line is kept as it stands.
    void ReadRem(const std::string& line, std::string_view rest) {
        const std::string text = Unquote(Trim(CutComment(rest)));
        if (text.rfind("** Generated by ", 0) == 0) {
            return;  // made anew
        }
        const std::size_t colon = text.find(':');
        if (colon != std::string::npos) {
            const std::string key = ToUpperAscii(Trim(std::string_view(text).substr(0, colon)));
            const std::string value = Trim(std::string_view(text).substr(colon + 1));
            if (key == "YEAR") {
                doc_.cd.year = value;
                return;
            }
            if (key == "GENRE") {
                doc_.cd.genre = value;
                return;
            }
            if (key == "DISCID" || key == "ID") {
                doc_.cd.discId = value;
                return;
            }
            if (key == "LENGTH") {
                std::string_view firstWord = std::string_view(value).substr(0, value.find(' '));
                doc_.cd.totalSeconds = BoundedBy(ParseLeadingInt(firstWord), MaxTotalSeconds);
                return;
            }
            if (key == "TIME") {
                return;  // made anew from the length
            }
            if (key == "TOTAL LENGTH") {
                if (value.size() >= 6 && value[2] == ':' && value[5] == ':') {
                    std::int64_t total = std::int64_t{ParseLeadingInt(value.substr(0, 2))} * 3600 +
                                         std::int64_t{ParseLeadingInt(value.substr(3, 2))} * 60 +
                                         ParseLeadingInt(value.substr(6, 2));
                    doc_.cd.totalSeconds = BoundedBy(total, MaxTotalSeconds);
                }
                return;
            }
        }
        if (CurrentTrack() == nullptr && KeepFieldLine(line)) {
            return;
        }
        Keep(line);
    }

    // "REM GENRE Rock", "REM DATE: 1999", "REM DISCID \"9C0EAC0C\"": the field and the line.
    bool KeepFieldLine(const std::string& line) {
        // The line as written: "REM", blanks, the key, an optional ":", blanks, the value.
        std::size_t at = 3;
        while (at < line.size() && line[at] == ' ') {
            ++at;
        }
        std::size_t keyEnd = at;
        while (keyEnd < line.size() && line[keyEnd] != ' ' && line[keyEnd] != ':') {
            ++keyEnd;
        }
        const std::string key = ToUpperAscii(line.substr(at, keyEnd - at));
        KeptLine::Field field = KeptLine::Field::None;
        if (key == "GENRE") {
            field = KeptLine::Field::Genre;
        } else if (key == "DATE" || key == "YEAR") {
            field = KeptLine::Field::Year;
        } else if (key == "DISCID") {
            field = KeptLine::Field::DiscId;
        } else {
            return false;
        }
        std::size_t valueAt = keyEnd;
        if (valueAt < line.size() && line[valueAt] == ':') {
            ++valueAt;
        }
        while (valueAt < line.size() && line[valueAt] == ' ') {
            ++valueAt;
        }
        const std::string valuePart = Trim(CutComment(std::string_view(line).substr(valueAt)));
        if (valuePart.empty()) {
            return false;
        }
        KeptLine kept;
        kept.text = line;
        kept.field = field;
        const bool quoted =
            valuePart.size() >= 2 && valuePart.front() == '"' && valuePart.back() == '"';
        kept.prefix = line.substr(0, valueAt) + (quoted ? "\"" : "");
        kept.suffix = quoted ? "\"" : "";
        kept.value = quoted ? Unquote(valuePart) : valuePart;
        switch (field) {
            case KeptLine::Field::Genre:
                doc_.cd.genre = kept.value;
                break;
            case KeptLine::Field::Year:
                doc_.cd.year = kept.value;
                break;
            case KeptLine::Field::DiscId:
                doc_.cd.discId = kept.value;
                break;
            case KeptLine::Field::None:
                break;
        }
        doc_.cd.lines.push_back(std::move(kept));
        return true;
    }

    void ReadFile(const std::string& argument) {
        std::size_t quote = argument.rfind('"');
        std::string name;
        std::string type;
        if (quote != std::string::npos) {
            type = Trim(std::string_view(argument).substr(quote + 1));
            name = Unquote(std::string_view(argument).substr(0, quote + 1));
        } else {
            // An unquoted name: the last word is the type.
            const std::size_t blank = argument.rfind(' ');
            if (blank == std::string::npos) {
                return;
            }
            type = Trim(std::string_view(argument).substr(blank + 1));
            name = Trim(std::string_view(argument).substr(0, blank));
        }
        if (doc_.cd.files.empty()) {
            doc_.cd.audioFile = StripExtension(FileNamePart(name));
        }
        AudioFileLine file;
        file.name = name;
        file.type = ToUpperAscii(type);
        doc_.cd.files.push_back(std::move(file));
    }

    // Whether track `number` was given a title or an INDEX line.
    bool HasContent(int number) const {
        const Track& track = doc_.tracks[number - 1];
        return hadIndexOne_[number] || !track.title.empty() ||
               std::any_of(track.lines.begin(), track.lines.end(),
                           [](const KeptLine& line) { return line.index >= 0; });
    }

    bool ReadTrack(const std::string& argument, const std::string& line) {
        std::size_t space = argument.find(' ');
        std::string type = space == std::string::npos
                               ? std::string()
                               : Trim(std::string_view(argument).substr(space + 1));
        int number = ParseLeadingInt(Trim(std::string_view(argument).substr(0, 2)));
        if (type.empty() || number < 1 || number > MaxTracks) {
            Fail(str::SyntaxError, line, true);
            return false;
        }
        // A number read before (a sheet that numbers each side from 01) or lower than the
        // current one would overwrite a track that was read: it becomes the next track instead.
        if (currentTrack_ < MaxTracks &&
            (number < currentTrack_ || (number == currentTrack_ && HasContent(number)))) {
            number = currentTrack_ + 1;
        }
        currentTrack_ = number;
        indexOneSeen_ = false;
        Track& track = doc_.tracks[number - 1];
        track = Track{};
        track.file = CurrentFile();
        track.fileAtTrackLine = CurrentFile();
        hadIndexOne_[number] = false;
        trackRead_[number] = true;
        // Audio tracks in any case of the word; data tracks keep their mode as written.
        track.type = ToUpperAscii(type) == "AUDIO" ? std::string("AUDIO") : type;
        return true;
    }

    // "mm:ss:ff" with any number of minute digits and one or two digits in the other fields
    // ("0:0:00" is the same time as "00:00:00"); in M:S:H mode the third field is hundredths.
    std::optional<std::int64_t> ReadTime(const std::string& time, const std::string& line) {
        const std::size_t first = time.find(':');
        const std::size_t second = first == std::string::npos ? first : time.find(':', first + 1);
        if (second == std::string::npos) {
            Fail(str::SyntaxError, line, true);
            return std::nullopt;
        }
        const std::string_view minuteText = std::string_view(time).substr(0, first);
        const std::string_view secondText =
            std::string_view(time).substr(first + 1, second - first - 1);
        const std::string_view thirdText = std::string_view(time).substr(second + 1);
        if (!AllDigits(minuteText) || minuteText.size() > 7 || !AllDigits(secondText) ||
            secondText.size() > 2 || !AllDigits(thirdText) || thirdText.size() > 2) {
            Fail(str::SyntaxError, line, true);
            return std::nullopt;
        }
        std::int64_t minutes = ParseLeadingInt(minuteText);
        std::int64_t seconds = ParseLeadingInt(secondText);
        std::int64_t third = ParseLeadingInt(thirdText);
        if (seconds >= 60) {
            minutes += seconds / 60;
            seconds %= 60;
        }
        std::int64_t frames = 0;
        if (format_ == TimeFormat::Msf) {
            if (third >= 75) {
                Fail(str::FramesTooLarge, line, false);
                return std::nullopt;
            }
            frames = (minutes * 60 + seconds) * 75 + third;
        } else {
            double exact =
                static_cast<double>(minutes * 60 + seconds) + static_cast<double>(third) / 100;
            frames = static_cast<std::int64_t>(std::floor(75 * exact));
        }
        if (frames + LeadInFrames > MaxReadPosition) {
            Fail(str::SyntaxError, line, true);  // beyond the longest album a document holds
            return std::nullopt;
        }
        return frames;
    }

    bool ReadIndex(const std::string& argument, const std::string& line) {
        if (currentTrack_ == 0) {
            Fail(str::IndexBeforeTrack, line, false);
            return false;
        }
        const std::size_t space = argument.find(' ');
        const std::string numberText = argument.substr(0, space);
        if (!AllDigits(numberText) || numberText.size() > 2 || space == std::string::npos) {
            Fail(str::SyntaxError, line, true);
            return false;
        }
        const std::optional<std::int64_t> frames =
            ReadTime(Trim(std::string_view(argument).substr(space + 1)), line);
        if (!frames) {
            return false;
        }
        Track& track = *CurrentTrack();
        const int number = ParseLeadingInt(numberText);
        // Times count within their file; Finish places them on the disc.
        if (number == 1) {
            // A later INDEX 01 line of the same track replaces the earlier value.
            track.start = static_cast<std::int32_t>(*frames);
            track.file = CurrentFile();
            indexOneSeen_ = true;
            hadIndexOne_[currentTrack_] = true;
            return true;
        }
        // INDEX 00 and 02 and higher move with INDEX 01: their offset from it is fixed once
        // the track is read (Finish), here they hold their time.
        KeptLine kept;
        kept.text = line;
        kept.index = number;
        kept.offset = static_cast<std::int32_t>(*frames);
        kept.file = CurrentFile();
        kept.afterIndex = indexOneSeen_;
        track.lines.push_back(std::move(kept));
        return true;
    }

    // Measures the files and places each where the one before it ends; the first starts
    // after the lead-in. One file is measured only for the album's length, when the sheet
    // gives none.
    void PlaceFiles() {
        auto& files = doc_.cd.files;
        const bool several = files.size() > 1;
        if (probe_ && (several || doc_.cd.totalSeconds == 0)) {
            for (AudioFileLine& file : files) {
                const double seconds = probe_(file.name);
                if (seconds >= 0) {
                    file.length =
                        BoundedBy(std::llround(seconds * FramesPerSecond), MaxReadPosition);
                }
            }
        }
        std::int64_t position = LeadInFrames;
        bool placed = true;
        for (AudioFileLine& file : files) {
            file.placed = placed;
            file.position = placed ? static_cast<std::int32_t>(position) : LeadInFrames;
            if (file.length < 0 || position + file.length > MaxReadPosition) {
                placed = false;
            } else {
                position += file.length;
            }
        }
        if (doc_.cd.totalSeconds == 0 && !files.empty() && placed) {
            doc_.cd.totalSeconds =
                BoundedBy((position - LeadInFrames) / FramesPerSecond, MaxTotalSeconds);
        }
    }

    std::int32_t PositionOf(int file) const {
        const auto& files = doc_.cd.files;
        return file >= 0 && file < static_cast<int>(files.size()) ? files[file].position
                                                                  : LeadInFrames;
    }

    void Finish() {
        PlaceFiles();
        doc_.trackCount = currentTrack_;
        for (int n = 1; n <= MaxTracks; ++n) {
            Track& track = doc_.tracks[n - 1];
            if (!trackRead_[n]) {
                continue;
            }
            // Without an INDEX 01 the track starts at its first other INDEX.
            const auto first = std::find_if(track.lines.begin(), track.lines.end(),
                                            [](const KeptLine& line) { return line.index >= 0; });
            if (!hadIndexOne_[n] && first != track.lines.end()) {
                track.start = first->offset;
                track.file = first->file;
            }
            track.start =
                BoundedBy(std::int64_t{track.start} + PositionOf(track.file), MaxReadPosition);
            for (KeptLine& line : track.lines) {
                if (line.index >= 0) {
                    line.offset = static_cast<std::int32_t>(std::int64_t{line.offset} +
                                                            PositionOf(line.file) - track.start);
                }
            }
            if (!hadIndexOne_[n]) {
                track.startWithoutIndexOne = track.start;
            }
        }
        if (doc_.cd.artist.empty()) {
            std::string artist = ArtistPart(doc_.cd.title);
            if (!artist.empty()) {
                doc_.cd.artist = artist;
                doc_.cd.title = TitlePart(doc_.cd.title);
            } else {
                doc_.cd.artist = "Various";
                doc_.cd.artistByDefault = true;
            }
        }
        const bool albumNamesArtist = !ArtistPart(doc_.cd.title).empty();
        for (int i = 0; i < doc_.trackCount; ++i) {
            Track& track = doc_.tracks[i];
            if (!track.performer.empty()) {
                continue;
            }
            if (albumNamesArtist) {
                std::string title = track.title;
                track.performer = ArtistPart(title);
                track.title = TitlePart(title);
            } else {
                track.performer = doc_.cd.artist.str();
            }
        }
        if (doc_.cd.discId.empty() && UnplacedFile(doc_) == nullptr) {
            doc_.cd.discId = ComputeDiscId(doc_);
        }
    }

    TimeFormat format_;
    const AudioLengthProbe& probe_;
    CueSheetRead result_;
    TrackList& doc_ = result_.list;
    int lineNumber_ = 0;
    int currentTrack_ = 0;
    bool indexOneSeen_ = false;
    bool knownSeen_ = false;
    std::optional<ReadError> firstUnknown_;
    std::array<bool, MaxTracks + 1> trackRead_{};
    std::array<bool, MaxTracks + 1> hadIndexOne_{};
};

}  // namespace

CueSheetRead ParseCueSheet(std::string_view text, TimeFormat format,
                           const AudioLengthProbe& probe) {
    CueReader reader(format, probe);
    return reader.Read(text);
}

}  // namespace tracklore
