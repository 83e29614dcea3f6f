#include "mp3/Id3.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <optional>
#include <string_view>
#include <utility>

#include "model/Cp1252.h"
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

std::string Id3v1Text(const unsigned char* record, std::size_t offset, std::size_t width,
                      const TextEncoding& codePage) {
    return Trim(DecodeAs(TextAt(record, offset + width, offset, width), codePage));
}

std::string Id3v1Title(const unsigned char* record, const TextEncoding& codePage) {
    return Id3v1Text(record, id3v1::Title, id3v1::TextWidth, codePage);
}

std::string Id3v1Artist(const unsigned char* record, const TextEncoding& codePage) {
    return Id3v1Text(record, id3v1::Artist, id3v1::TextWidth, codePage);
}

std::string Id3v1Album(const unsigned char* record, const TextEncoding& codePage) {
    return Id3v1Text(record, id3v1::Album, id3v1::TextWidth, codePage);
}

std::string Id3v1Year(const unsigned char* record, const TextEncoding& codePage) {
    return Id3v1Text(record, id3v1::Year, id3v1::YearWidth, codePage);
}

std::string Id3v1Genre(const unsigned char* record) {
    return GenreName(record[id3v1::Genre]);
}

namespace {

std::string Latin1ToUtf8(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (char c : bytes) {
        AppendUtf8(text, static_cast<unsigned char>(c));
    }
    return text;
}

std::uint32_t BigEndian(std::string_view bytes) {
    std::uint32_t value = 0;
    for (char c : bytes) {
        value = (value << 8) | static_cast<unsigned char>(c);
    }
    return value;
}

// Four 7-bit groups, most significant first.

// The frames whose texts the album takes, by version: 2.2 has three-letter IDs.
struct TextFrame {
    std::string_view id;
    std::string Id3v2Texts::*field;
};
const TextFrame TextFramesV22[] = {
    {"TT2", &Id3v2Texts::title}, {"TP1", &Id3v2Texts::artist}, {"TAL", &Id3v2Texts::album},
    {"TYE", &Id3v2Texts::year},  {"TCO", &Id3v2Texts::genre},
};
// TYER is the year of 2.3, TDRC the recording time of 2.4; either is read in both.
const TextFrame TextFramesV23[] = {
    {"TIT2", &Id3v2Texts::title}, {"TPE1", &Id3v2Texts::artist}, {"TALB", &Id3v2Texts::album},
    {"TYER", &Id3v2Texts::year},  {"TCON", &Id3v2Texts::genre},  {"TDRC", &Id3v2Texts::year},
};

const TextFrame* FindTextFrame(std::string_view id, bool version22) {
    auto matches = [id](const TextFrame& frame) { return frame.id == id; };
    if (version22) {
        auto* found = std::find_if(std::begin(TextFramesV22), std::end(TextFramesV22), matches);
        return found == std::end(TextFramesV22) ? nullptr : found;
    }
    auto* found = std::find_if(std::begin(TextFramesV23), std::end(TextFramesV23), matches);
    return found == std::end(TextFramesV23) ? nullptr : found;
}

// Frame flags of the second flag byte.
constexpr unsigned char V23Compressed = 0x80;
constexpr unsigned char V23Encrypted = 0x40;
constexpr unsigned char V23Grouped = 0x20;
constexpr unsigned char V24Grouped = 0x40;
constexpr unsigned char V24Compressed = 0x08;
constexpr unsigned char V24Encrypted = 0x04;
constexpr unsigned char V24Unsynchronised = 0x02;
constexpr unsigned char V24DataLength = 0x01;
// Tag flags.
constexpr unsigned char TagUnsynchronised = 0x80;
constexpr unsigned char TagExtendedHeader = 0x40;  // 2.2: the tag is compressed

}  // namespace

std::uint32_t Syncsafe(std::string_view bytes) {
    std::uint32_t value = 0;
    for (char c : bytes.substr(0, 4)) {
        value = (value << 7) | (static_cast<unsigned char>(c) & 0x7F);
    }
    return value;
}

// The bytes with the unsynchronisation undone: a zero byte after 0xFF was inserted by the
// writer and goes.
std::string Resynchronised(std::string_view bytes) {
    std::string plain;
    plain.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        plain += bytes[i];
        if (static_cast<unsigned char>(bytes[i]) == 0xFF && i + 1 < bytes.size() &&
            bytes[i + 1] == '\0') {
            ++i;
        }
    }
    return plain;
}

namespace {

void WalkFrames(std::string_view frames, int major, bool tagUnsynchronised,
                const Id3v2FrameVisitor& visit) {
    const std::size_t idSize = major == 2 ? 3 : 4;
    const std::size_t headerSize = major == 2 ? 6 : 10;
    std::size_t offset = 0;
    while (frames.size() - offset >= headerSize) {
        const std::string_view header = frames.substr(offset, headerSize);
        if (header[0] == '\0') {
            return;  // the padding
        }
        const std::string_view sizeBytes = header.substr(idSize, major == 2 ? 3 : 4);
        std::uint32_t size = BigEndian(sizeBytes);
        // 2.4 sizes are syncsafe; some writers put plain sizes there, recognisable by a byte
        // with its top bit set.
        if (major == 4 && std::none_of(sizeBytes.begin(), sizeBytes.end(), [](char c) {
                return static_cast<unsigned char>(c) & 0x80;
            })) {
            size = Syncsafe(sizeBytes);
        }
        if (size > frames.size() - offset - headerSize) {
            return;  // runs past the tag or past what was read
        }
        Id3v2Frame frame;
        frame.id = header.substr(0, idSize);
        frame.stored = frames.substr(offset + headerSize, size);
        frame.major = major;
        frame.flags = major == 2 ? 0 : static_cast<unsigned char>(header[9]);
        frame.tagUnsynchronised = tagUnsynchronised;
        offset += headerSize + size;
        visit(frame);
    }
}

}  // namespace

std::optional<std::string> Id3v2Frame::Data() const {
    std::string_view data = stored;
    std::string plain;
    if (major == 3) {
        if (flags & (V23Compressed | V23Encrypted)) {
            return std::nullopt;
        }
        data.remove_prefix(std::min<std::size_t>((flags & V23Grouped) ? 1 : 0, data.size()));
    } else if (major == 4) {
        if (flags & (V24Compressed | V24Encrypted)) {
            return std::nullopt;
        }
        if ((flags & V24Unsynchronised) || tagUnsynchronised) {
            plain = Resynchronised(data);
            data = plain;
        }
        const std::size_t added =
            ((flags & V24Grouped) ? 1 : 0) + ((flags & V24DataLength) ? 4 : 0);
        data.remove_prefix(std::min(added, data.size()));
    }
    return std::string(data);
}

int ForEachId3v2Frame(std::string_view tag, const Id3v2FrameVisitor& visit) {
    constexpr std::size_t HeaderSize = 10;
    if (tag.size() < HeaderSize || tag.substr(0, 3) != "ID3") {
        return 0;
    }
    const int major = static_cast<unsigned char>(tag[3]);
    const auto flags = static_cast<unsigned char>(tag[5]);
    if (major < 2 || major > 4 || (major == 2 && (flags & TagExtendedHeader))) {
        return 0;
    }
    std::string_view body = tag.substr(HeaderSize);
    body = body.substr(0, Syncsafe(tag.substr(6, 4)));
    std::string plain;
    if (major < 4 && (flags & TagUnsynchronised)) {
        // Up to 2.3 the whole tag after its header is unsynchronised.
        plain = Resynchronised(body);
        body = plain;
    }
    if (major >= 3 && (flags & TagExtendedHeader)) {
        if (body.size() < 4) {
            return major;
        }
        // 2.3 states the size without its own four bytes, 2.4 with them (syncsafe).
        const std::size_t skip = major == 3 ? std::size_t{4} + BigEndian(body.substr(0, 4))
                                            : std::size_t{Syncsafe(body.substr(0, 4))};
        body.remove_prefix(std::min(skip, body.size()));
    }
    WalkFrames(body, major, major == 4 && (flags & TagUnsynchronised), visit);
    return major;
}

void ForEachId3v2SubFrame(std::string_view frames, int major, const Id3v2FrameVisitor& visit) {
    WalkFrames(frames, major, false, visit);
}

Id3v2String ReadId3v2String(std::string_view bytes, unsigned char encoding) {
    Id3v2String result;
    std::size_t end = std::string_view::npos;
    std::size_t terminator = 1;
    switch (encoding) {
        case id3v2::Latin1:
        case id3v2::Utf8:
            end = bytes.find('\0');
            break;
        case id3v2::Utf16:
        case id3v2::Utf16Be:
            terminator = 2;
            for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
                if (bytes[i] == '\0' && bytes[i + 1] == '\0') {
                    end = i;
                    break;
                }
            }
            break;
        default:
            return result;
    }
    const std::string_view text = bytes.substr(0, end);
    result.rest =
        end == std::string_view::npos ? std::string_view() : bytes.substr(end + terminator);
    switch (encoding) {
        case id3v2::Latin1:
            result.text = Latin1ToUtf8(text);
            break;
        case id3v2::Utf8:
            result.text = ValidUtf8(SkipUtf8Bom(text));
            break;
        default:
            // A mark decides the order; encoding 2 has none and is big-endian, and so is
            // encoding 1 that lacks its mark.
            result.text = Utf16ToUtf8(text, false);
            break;
    }
    return result;
}

std::string Id3v2FrameText(std::string_view data) {
    if (data.empty()) {
        return {};
    }
    return Trim(ReadId3v2String(data.substr(1), static_cast<unsigned char>(data[0])).text);
}

Id3v2DescribedText ReadId3v2DescribedText(std::string_view data, std::size_t languageBytes) {
    if (data.size() < 1 + languageBytes) {
        return {};
    }
    const auto encoding = static_cast<unsigned char>(data[0]);
    Id3v2String description = ReadId3v2String(data.substr(1 + languageBytes), encoding);
    Id3v2String text = ReadId3v2String(description.rest, encoding);
    return {std::move(description.text), Trim(text.text)};
}

std::string Id3v2Genre(std::string_view text) {
    auto number = [](std::string_view digits) -> std::optional<int> {
        if (digits.empty() || digits.size() > 3 ||
            !std::all_of(digits.begin(), digits.end(),
                         [](char c) { return c >= '0' && c <= '9'; })) {
            return std::nullopt;
        }
        return std::stoi(std::string(digits));
    };
    if (std::optional<int> plain = number(text)) {
        return GenreName(*plain);
    }
    if (text.substr(0, 2) == "((") {
        return std::string(text.substr(1));
    }
    if (!text.empty() && text[0] == '(') {
        const std::size_t close = text.find(')');
        if (close != std::string_view::npos) {
            if (std::optional<int> inside = number(text.substr(1, close - 1))) {
                const std::string_view refinement = text.substr(close + 1);
                return refinement.empty() ? GenreName(*inside) : Trim(refinement);
            }
        }
    }
    return std::string(text);
}

Id3v2Texts ReadId3v2Texts(std::string_view tag) {
    Id3v2Texts texts;
    ForEachId3v2Frame(tag, [&](const Id3v2Frame& frame) {
        const TextFrame* text = FindTextFrame(frame.id, frame.major == 2);
        if (!text || !(texts.*(text->field)).empty()) {
            return;
        }
        if (auto data = frame.Data()) {
            texts.*(text->field) = Id3v2FrameText(*data);
        }
    });
    texts.genre = Id3v2Genre(texts.genre);
    texts.year = std::string(FirstCharacters(texts.year, 4));
    return texts;
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

std::string AlbumWrapName(const unsigned char* buffer, std::size_t length,
                          const TextEncoding& codePage) {
    if (length <= AlbumWrapSizeOffset || buffer[AlbumWrapSizeOffset] < AlbumWrapFrameOverhead) {
        return {};
    }
    return DecodeAs(TextAt(buffer, length, AlbumWrapPrefixOffset + AlbumWrapPrefix.size(),
                           buffer[AlbumWrapSizeOffset] - AlbumWrapFrameOverhead),
                    codePage);
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
                                                std::size_t length, const TextEncoding& codePage) {
    std::string album;
    std::string artist;
    if (!FindAlbumWrapFrame(buffer, length, "TALB", album) ||
        !FindAlbumWrapFrame(buffer, length, "TPE1", artist)) {
        return std::nullopt;
    }
    MeasuredList measured;
    TrackList& doc = measured.list;
    doc.cd.title = DecodeAs(album, codePage);
    doc.cd.artist = DecodeAs(artist, codePage);

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
        std::string fileName = DecodeAs(name, codePage);
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
