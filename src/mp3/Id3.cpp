#include "mp3/Id3.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "model/Genres.h"
#include "model/Text.h"
#include "mp3/ImportHelpers.h"

namespace tracklore {

namespace {

// A text field is valid unless a control byte stands before its first zero byte.
bool IsValidId3v1Field(const unsigned char* field, std::size_t width) {
    bool afterZero = false;
    for (std::size_t i = 0; i < width; ++i) {
        unsigned char c = field[i];
        if (c == 0) {
            afterZero = true;
        } else if (afterZero) {
            return true;
        } else if (c < 32) {
            return false;
        }
    }
    return true;
}

// Bytes of the buffer from `offset`, at most `count`, up to the first zero byte.
std::string TextAt(const unsigned char* buffer, std::size_t length, std::size_t offset,
                   std::size_t count) {
    if (offset >= length) {
        return {};
    }
    std::size_t available = std::min(count, length - offset);
    const char* begin = reinterpret_cast<const char*>(buffer + offset);
    const void* zero = std::memchr(begin, 0, available);
    std::size_t size =
        zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - begin) : available;
    return std::string(begin, size);
}

// The fixed first 43 bytes of the header: the ID3v2.3 tag header, the title frame with
// "AlbumWrap Album", then the album frame's identifier and the high bytes of its size.
constexpr unsigned char AlbumWrapSignature[43] = {
    'I',  'D',  '3',  0x03, 0x00, 0x00, 0x00, 0x00, 0x0A, 0x23, 'T',  'I',  'T', '2', 0x00,
    0x00, 0x00, 0x10, 0x00, 0x00, 0x00, 'A',  'l',  'b',  'u',  'm',  'W',  'r', 'a', 'p',
    ' ',  'A',  'l',  'b',  'u',  'm',  'T',  'A',  'L',  'B',  0x00, 0x00, 0x00};
constexpr std::size_t AlbumWrapSizeOffset = 43;
constexpr std::size_t AlbumWrapPrefixOffset = 47;
constexpr std::string_view AlbumWrapPrefix = "AlbumWrap - ";
// Frame header (10), encoding byte (1) and prefix (12) before the text of a frame.
constexpr std::size_t AlbumWrapFrameTextOffset = 23;
constexpr int AlbumWrapFrameOverhead = 13;

// The text of a frame "XXXX" 0 0 0 n ... found anywhere in the buffer: the n - 13 bytes
// after its prefix. False when the frame is missing or holds no text.
bool FindAlbumWrapFrame(const unsigned char* buffer, std::size_t length, const char* id,
                        std::string& text) {
    const unsigned char pattern[7] = {static_cast<unsigned char>(id[0]),
                                      static_cast<unsigned char>(id[1]),
                                      static_cast<unsigned char>(id[2]),
                                      static_cast<unsigned char>(id[3]),
                                      0,
                                      0,
                                      0};
    const void* hit = memmem(buffer, length, pattern, sizeof pattern);
    if (!hit) {
        return false;
    }
    std::size_t at = static_cast<std::size_t>(static_cast<const unsigned char*>(hit) - buffer);
    if (at + sizeof pattern >= length) {
        return false;
    }
    int textLength = static_cast<int>(buffer[at + sizeof pattern]) - AlbumWrapFrameOverhead;
    if (textLength <= 0) {
        return false;
    }
    text =
        TextAt(buffer, length, at + AlbumWrapFrameTextOffset, static_cast<std::size_t>(textLength));
    return true;
}

// Splits at the first "[][]"; without one, the whole text serves as both parts.
std::pair<std::string_view, std::string_view> SplitSlotText(std::string_view text) {
    constexpr std::string_view marker = "[][]";
    std::size_t at = text.find(marker);
    if (at == std::string_view::npos) {
        return {text, text};
    }
    return {text.substr(0, at), text.substr(at + marker.size())};
}

// Leading decimal digits (after blanks and a sign), as atoi reads them.
std::int64_t LeadingInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (value > (INT64_MAX - 9) / 10) {
            break;  // more digits than any byte count can have
        }
        value = value * 10 + (text[i] - '0');
    }
    return negative ? -value : value;
}

}  // namespace

bool IsValidId3v1(const unsigned char* record) {
    using namespace id3v1;
    return record[0] == 'T' && record[1] == 'A' && record[2] == 'G' &&
           IsValidId3v1Field(record + Title, TextWidth) &&
           IsValidId3v1Field(record + Artist, TextWidth) &&
           IsValidId3v1Field(record + Album, TextWidth) &&
           IsValidId3v1Field(record + Year, YearWidth) &&
           IsValidId3v1Field(record + Comment, TextWidth - 1);
}

std::string Id3v1Text(const unsigned char* record, std::size_t offset, std::size_t width) {
    return Trim(TextAt(record, offset + width, offset, width));
}

std::string Id3v1Title(const unsigned char* record) {
    return Id3v1Text(record, id3v1::Title, id3v1::TextWidth);
}

std::string Id3v1Artist(const unsigned char* record) {
    return Id3v1Text(record, id3v1::Artist, id3v1::TextWidth);
}

std::string Id3v1Album(const unsigned char* record) {
    return Id3v1Text(record, id3v1::Album, id3v1::TextWidth);
}

std::string Id3v1Year(const unsigned char* record) {
    return Id3v1Text(record, id3v1::Year, id3v1::YearWidth);
}

std::string Id3v1Genre(const unsigned char* record) {
    return GenreName(record[id3v1::Genre]);
}

bool IsAlbumWrapHeader(const unsigned char* buffer, std::size_t length) {
    if (length < AlbumWrapPrefixOffset + AlbumWrapPrefix.size()) {
        return false;
    }
    return std::memcmp(buffer, AlbumWrapSignature, sizeof AlbumWrapSignature) == 0 &&
           buffer[AlbumWrapSizeOffset] >= AlbumWrapFrameOverhead &&
           std::memcmp(buffer + AlbumWrapPrefixOffset, AlbumWrapPrefix.data(),
                       AlbumWrapPrefix.size()) == 0;
}

std::string AlbumWrapName(const unsigned char* buffer, std::size_t length) {
    if (length <= AlbumWrapSizeOffset || buffer[AlbumWrapSizeOffset] < AlbumWrapFrameOverhead) {
        return {};
    }
    return TextAt(buffer, length, AlbumWrapPrefixOffset + AlbumWrapPrefix.size(),
                  buffer[AlbumWrapSizeOffset] - AlbumWrapFrameOverhead);
}

std::int64_t AlbumWrapNumber(std::string_view text) {
    std::string_view whole = text;
    std::string fraction(text);
    if (std::size_t dot = text.find('.'); dot != std::string_view::npos) {
        whole = text.substr(0, dot);
        fraction = std::string(text.substr(dot + 1));
    }
    while (fraction.size() < 4) {
        fraction += '0';
    }
    // No file has more bytes than this; larger numbers are held at it instead of overflowing.
    static constexpr std::int64_t Limit = 100000000000000;  // 1e14
    auto clamp = [](std::int64_t value) { return std::clamp(value, -Limit, Limit); };
    return clamp(LeadingInteger(whole)) * 10000 + clamp(LeadingInteger(fraction));
}

std::optional<MeasuredList> ReadAlbumWrapHeader(ByteSource& file, const unsigned char* buffer,
                                                std::size_t length) {
    std::string album;
    std::string artist;
    if (!FindAlbumWrapFrame(buffer, length, "TALB", album) ||
        !FindAlbumWrapFrame(buffer, length, "TPE1", artist)) {
        return std::nullopt;
    }
    MeasuredList measured;
    TrackList& doc = measured.list;
    doc.cd.title = album;
    doc.cd.artist = artist;

    int count = static_cast<int>(LeadingInteger(TextAt(buffer, length, AlbumWrapCountOffset, 2)));
    // Two digits cannot name more than 99 tracks; never read past the 99 slots.
    count = std::clamp(count, 0, MaxTracks);
    doc.trackCount = count;

    float runningTime = 2.0f;
    for (int i = 1; i <= count; ++i) {
        std::string slot = TextAt(buffer, length, AlbumWrapSlotOffset + (i - 1) * AlbumWrapSlotSize,
                                  AlbumWrapSlotSize);
        while (!slot.empty() && slot.back() == ' ') {
            slot.pop_back();
        }
        auto [lengthText, rest] = SplitSlotText(slot);
        auto [startText, name] = SplitSlotText(rest);
        std::int64_t trackBytes = AlbumWrapNumber(lengthText);
        std::int64_t start = AlbumWrapNumber(startText);
        std::string fileName(name);
        if (fileName.size() >= 4 && ToLowerAscii(fileName.substr(fileName.size() - 4)) == ".mp3") {
            fileName.resize(fileName.size() - 4);
        }
        Track& track = doc.tracks[i - 1];
        track.title = TitlePart(fileName);
        std::string performer = ArtistPart(fileName);
        track.performer = performer.empty() ? doc.cd.artist.str() : performer;

        if (!PlaceMeasuredTrack(doc, file, start, trackBytes, i, runningTime)) {
            measured.unmeasuredTrack = i;
            return measured;
        }
    }
    doc.cd.totalSeconds = RoundSeconds(runningTime);
    doc.cd.discId = ComputeDiscId(doc);
    return measured;
}

}  // namespace tracklore
