#include <array>
#include <cstdint>

#include "formats/Xmcd.h"
#include "model/Text.h"

namespace tracklore {

namespace {

// Joined DTITLE and TTITLE texts are kept up to this length.
constexpr std::size_t MaxJoinedText = 2047;

enum class Offsets { Before, Inside, After, AfterLength };

void AppendCut(std::string& joined, std::string_view piece) {
    if (joined.size() < MaxJoinedText) {
        joined.append(piece.substr(0, MaxJoinedText - joined.size()));
    }
}

// Reads "TTITLE12" style keys: the prefix followed by at least one decimal digit and
// nothing else. Returns the number, or -1.
long TrackKeyNumber(std::string_view key, std::string_view prefix) {
    if (key.size() <= prefix.size() || key.substr(0, prefix.size()) != prefix) {
        return -1;
    }
    long number = 0;
    for (char c : key.substr(prefix.size())) {
        if (c < '0' || c > '9') {
            return -1;
        }
        if (number < 1000000) {
            number = number * 10 + (c - '0');
        }
    }
    return number;
}

std::string TrimStart(std::string_view text) {
    std::size_t begin = 0;
    while (begin < text.size() &&
           (text[begin] == ' ' || text[begin] == '\t' || text[begin] == '\r' ||
            text[begin] == '\n' || text[begin] == '\v')) {
        ++begin;
    }
    return std::string(text.substr(begin));
}

class XmcdReader {
  public:
    void Read(std::string_view text) {
        ForEachLine(text, MaxLineLength, [this](std::string_view raw) {
            ++lineNumber_;
            bool goOn = ReadLine(raw);
            if (offsetCount_ > trackCount_) {
                trackCount_ = offsetCount_;
            }
            return goOn;
        });
        if (result_.error) {
            doc_ = TrackList{};
            return;
        }
        Finish();
    }

    XmcdRead Result() { return std::move(result_); }

  private:
    bool ReadLine(std::string_view raw) {
        const std::string line = Trim(raw);
        if (line.empty()) {
            return true;
        }
        if (line[0] == '#') {
            ReadComment(line);
            return true;
        }
        if (line == ".") {
            return false;  // the end of a record as a CDDB server sends it
        }
        std::size_t eq = line.find('=');
        if (eq == std::string::npos) {
            result_.error = ReadError{str::SyntaxError, lineNumber_, line, true};
            return false;
        }
        // The value keeps its trailing blanks: a long title cut into pieces may end a piece
        // with a blank that belongs between two words.
        const std::string start = TrimStart(raw);
        const std::string key = line.substr(0, eq);
        const std::string_view value = std::string_view(start).substr(eq + 1);
        if (key == "DTITLE") {
            AppendCut(albumText_, value);
        } else if (key == "DYEAR") {
            doc_.cd.year = value;
        } else if (key == "DGENRE") {
            doc_.cd.genre = value;
        } else if (key == "DISCID") {
            // A record that holds several discs' IDs lists them all: the first is this one's.
            const std::string ids(value);
            const std::size_t comma = ids.find(',');
            doc_.cd.discId = std::string_view(ids).substr(0, comma);
            doc_.cd.moreDiscIds =
                comma == std::string::npos ? std::string() : ids.substr(comma + 1);
        } else if (key == "EXTD") {
            AppendCut(doc_.cd.extendedData, value);
        } else if (key == "PLAYORDER") {
            AppendCut(doc_.cd.playOrder, value);
        } else if (long n = TrackKeyNumber(key, "TTITLE"); n >= 0 && n + 1 <= trackCount_) {
            AppendCut(trackTexts_[static_cast<std::size_t>(n)], value);
        } else if (long m = TrackKeyNumber(key, "EXTT"); m >= 0 && m + 1 <= trackCount_) {
            AppendCut(doc_.tracks[static_cast<std::size_t>(m)].extendedData, value);
        } else {
            result_.error = ReadError{str::UnknownKeyword, lineNumber_, key, true};
            return false;
        }
        return true;
    }

    void ReadComment(const std::string& line) {
        if (line == "# Track frame offsets:") {
            state_ = Offsets::Inside;
            offsetCount_ = 0;
        } else if (line.compare(0, 15, "# Disc length: ") == 0) {
            doc_.cd.totalSeconds =
                BoundedBy(ParseLeadingInt(std::string_view(line).substr(15)), MaxTotalSeconds);
            state_ = Offsets::AfterLength;
        } else if (state_ == Offsets::AfterLength) {
            // Revision, Submitted via, Processed by …: kept for the next save as XMCD.
            if (Trim(std::string_view(line).substr(1)).size() > 0 &&
                doc_.cd.xmcdComments.size() < MaxTracks) {
                doc_.cd.xmcdComments.push_back(line.substr(0, MaxLineLength));
            }
        } else if (state_ == Offsets::Inside) {
            std::string offset = Trim(std::string_view(line).substr(1));
            if (offset.empty()) {
                state_ = Offsets::After;
                offsetCount_ = 0;
            } else if (offsetCount_ < MaxTracks) {
                // Offsets beyond the 99th have no track to go to and are passed over.
                ++offsetCount_;
                doc_.tracks[offsetCount_ - 1].start =
                    BoundedBy(ParseLeadingInt(offset), MaxReadPosition);
            }
        }
    }

    void Finish() {
        doc_.trackCount = trackCount_;
        doc_.cd.title = TitlePart(albumText_);
        doc_.cd.artist = ArtistPart(albumText_);
        if (doc_.cd.artist.empty()) {
            doc_.cd.artist = "Various";
        }
        for (int k = 0; k < trackCount_; ++k) {
            const std::string& text = trackTexts_[static_cast<std::size_t>(k)];
            Track& track = doc_.tracks[k];
            track.title = TitlePart(text);
            track.performer = ArtistPart(text);
            if (track.performer.empty()) {
                track.performer = doc_.cd.artist.str();
            }
        }
        if (doc_.cd.discId.empty()) {
            doc_.cd.discId = ComputeDiscId(doc_);
        }
    }

    XmcdRead result_{true, {}, {}};
    TrackList& doc_ = result_.list;
    int lineNumber_ = 0;
    Offsets state_ = Offsets::Before;
    int offsetCount_ = 0;
    int trackCount_ = 0;
    std::string albumText_;
    std::array<std::string, MaxTracks> trackTexts_;
};

}  // namespace

XmcdRead ParseXmcd(std::string_view text) {
    text = SkipUtf8Bom(text);
    if (text.substr(0, 6) != "# xmcd") {
        return XmcdRead{};
    }
    XmcdReader reader;
    reader.Read(text);
    return reader.Result();
}

}  // namespace tracklore
