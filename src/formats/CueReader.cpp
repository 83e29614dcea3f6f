#include <algorithm>
#include <cmath>
#include <cstdint>

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

class CueReader {
  public:
    CueReader(TimeFormat format, const AudioLengthProbe& probe) : format_(format), probe_(probe) {}

    CueSheetRead Read(std::string_view text) {
        text = SkipUtf8Bom(text);
        ForEachLine(text, MaxLineLength, [this](std::string_view raw) {
            ++lineNumber_;
            return ReadLine(Trim(raw));
        });
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

    bool ReadLine(const std::string& line) {
        std::size_t space = line.find(' ');
        std::string keyword = Trim(std::string_view(line).substr(0, space));
        std::string_view rest = space == std::string::npos
                                    ? std::string_view()
                                    : std::string_view(line).substr(space + 1);
        std::string argument = Trim(CutComment(rest));
        std::string upper = ToUpperAscii(keyword);

        if (upper == "REM") {
            ReadRem(Unquote(argument));
        } else if (upper == "PERFORMER") {
            if (currentTrack_ == 0) {
                doc_.cd.artist = Unquote(argument);
            } else {
                doc_.tracks[currentTrack_ - 1].performer = Unquote(argument);
            }
        } else if (upper == "TITLE") {
            if (currentTrack_ == 0) {
                doc_.cd.title = Unquote(argument);
            } else {
                doc_.tracks[currentTrack_ - 1].title = Unquote(argument);
            }
        } else if (upper == "FILE") {
            if (fileSeen_) {
                Fail(str::SecondFile, line, false);
                return false;
            }
            ReadFile(argument);
        } else if (upper == "TRACK") {
            return ReadTrack(argument, line);
        } else if (upper == "INDEX") {
            return ReadIndex(argument, line);
        } else if (upper == "CATALOG" || upper == "CDTEXTFILE" || upper == "FLAGS" ||
                   upper == "ISRC" || upper == "POSTGAP" || upper == "PREGAP" ||
                   upper == "SONGWRITER" || upper.empty()) {
            // not used
        } else {
            Fail(str::UnknownKeyword, line, true);
            return false;
        }
        return true;
    }

    void ReadRem(const std::string& text) {
        std::size_t colon = text.find(':');
        if (colon == std::string::npos) {
            return;  // the common "REM GENRE Rock" form carries nothing for us
        }
        std::string key = ToUpperAscii(Trim(std::string_view(text).substr(0, colon)));
        std::string value = Trim(std::string_view(text).substr(colon + 1));
        if (key == "YEAR") {
            doc_.cd.year = value;
        } else if (key == "GENRE") {
            doc_.cd.genre = value;
        } else if (key == "DISCID" || key == "ID") {
            doc_.cd.discId = value;
        } else if (key == "LENGTH") {
            std::string_view firstWord = std::string_view(value).substr(0, value.find(' '));
            doc_.cd.totalSeconds = BoundedBy(ParseLeadingInt(firstWord), MaxTotalSeconds);
        } else if (key == "TOTAL LENGTH") {
            if (value.size() >= 6 && value[2] == ':' && value[5] == ':') {
                std::int64_t total = std::int64_t{ParseLeadingInt(value.substr(0, 2))} * 3600 +
                                     std::int64_t{ParseLeadingInt(value.substr(3, 2))} * 60 +
                                     ParseLeadingInt(value.substr(6, 2));
                doc_.cd.totalSeconds = BoundedBy(total, MaxTotalSeconds);
            }
        }
    }

    void ReadFile(const std::string& argument) {
        fileSeen_ = true;
        std::size_t quote = argument.rfind('"');
        if (quote == std::string::npos) {
            return;
        }
        std::string type = ToUpperAscii(Trim(std::string_view(argument).substr(quote + 1)));
        std::string name = Unquote(std::string_view(argument).substr(0, quote + 1));
        if (type == "MP3") {
            audioPath_ = name;
        }
        doc_.cd.audioFile = StripExtension(FileNamePart(name));
    }

    bool ReadTrack(const std::string& argument, const std::string& line) {
        std::size_t space = argument.find(' ');
        std::string type = space == std::string::npos
                               ? argument
                               : Trim(std::string_view(argument).substr(space + 1));
        if (type != "AUDIO") {
            return true;  // data tracks and the like keep the current track
        }
        int number = ParseLeadingInt(Trim(std::string_view(argument).substr(0, 2)));
        if (number < 1 || number > MaxTracks) {
            Fail(str::SyntaxError, line, true);
            return false;
        }
        currentTrack_ = number;
        doc_.tracks[number - 1] = Track{};
        return true;
    }

    bool ReadIndex(const std::string& argument, const std::string& line) {
        if (currentTrack_ == 0) {
            Fail(str::IndexBeforeTrack, line, false);
            return false;
        }
        if (argument.compare(0, 3, "01 ") != 0) {
            return true;  // INDEX 00, 02 and higher are not used
        }
        std::string time = Trim(std::string_view(argument).substr(3));
        // mm:ss:ff, or more minute digits for mixes longer than 99 minutes (as FormatTime
        // writes them); the colons stand third and sixth from the end.
        const std::size_t n = time.size();
        if (n < 8 || time[n - 3] != ':' || time[n - 6] != ':') {
            Fail(str::SyntaxError, line, true);
            return false;
        }
        double minuteValue =
            std::trunc(ParseLeadingNumber(std::string_view(time).substr(0, n - 6)));
        if (!(std::fabs(minuteValue) <= 1000000.0)) {
            Fail(str::SyntaxError, line, true);  // no frame count holds such a time
            return false;
        }
        std::int64_t minutes = static_cast<std::int64_t>(minuteValue);
        std::int64_t seconds = ParseLeadingInt(std::string_view(time).substr(n - 5, 2));
        std::int64_t third = ParseLeadingInt(std::string_view(time).substr(n - 2, 2));
        if (seconds >= 60) {
            minutes += seconds / 60;
            seconds %= 60;
        }
        std::int64_t frames = 0;
        if (format_ == TimeFormat::Msf) {
            if (third >= 75) {
                Fail(str::FramesTooLarge, line, false);
                return false;
            }
            frames = (minutes * 60 + seconds) * 75 + third;
        } else {
            double exact =
                static_cast<double>(minutes * 60 + seconds) + static_cast<double>(third) / 100;
            frames = static_cast<std::int64_t>(std::floor(75 * exact));
        }
        if (frames + LeadInFrames > MaxReadPosition || frames + LeadInFrames < -MaxReadPosition) {
            Fail(str::SyntaxError, line, true);  // beyond the longest album a document holds
            return false;
        }
        doc_.tracks[currentTrack_ - 1].start = static_cast<std::int32_t>(frames + LeadInFrames);
        return true;
    }

    void Finish() {
        if (probe_ && doc_.cd.totalSeconds == 0 && !audioPath_.empty()) {
            doc_.cd.totalSeconds = BoundedBy(std::max(probe_(audioPath_), 0), MaxTotalSeconds);
        }
        doc_.trackCount = currentTrack_;
        if (doc_.cd.artist.empty()) {
            std::string artist = ArtistPart(doc_.cd.title);
            if (!artist.empty()) {
                doc_.cd.artist = artist;
                doc_.cd.title = TitlePart(doc_.cd.title);
            } else {
                doc_.cd.artist = "Various";
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
        if (doc_.cd.discId.empty()) {
            doc_.cd.discId = ComputeDiscId(doc_);
        }
    }

    TimeFormat format_;
    const AudioLengthProbe& probe_;
    CueSheetRead result_;
    TrackList& doc_ = result_.list;
    int lineNumber_ = 0;
    int currentTrack_ = 0;
    bool fileSeen_ = false;
    std::string audioPath_;
};

}  // namespace

CueSheetRead ParseCueSheet(std::string_view text, TimeFormat format,
                           const AudioLengthProbe& probe) {
    CueReader reader(format, probe);
    return reader.Read(text);
}

}  // namespace tracklore
