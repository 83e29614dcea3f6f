#include "mp3/CueTag.h"

#include "model/Encoding.h"
#include "mp3/Id3.h"
#include "resources/Version.h"

#include <algorithm>
#include <cstring>

namespace tracklore {

namespace {

constexpr unsigned char FlagUnsynchronisation = 0x80;
constexpr unsigned char FlagExtendedHeader = 0x40;

std::uint32_t ReadBigEndian32(const unsigned char* bytes) {
    return (static_cast<std::uint32_t>(bytes[0]) << 24) |
           (static_cast<std::uint32_t>(bytes[1]) << 16) |
           (static_cast<std::uint32_t>(bytes[2]) << 8) | static_cast<std::uint32_t>(bytes[3]);
}

void WriteBigEndian32(char* destination, std::uint32_t value) {
    destination[0] = static_cast<char>((value >> 24) & 0xFF);
    destination[1] = static_cast<char>((value >> 16) & 0xFF);
    destination[2] = static_cast<char>((value >> 8) & 0xFF);
    destination[3] = static_cast<char>(value & 0xFF);
}

// The tag body with the unsynchronisation undone: every zero byte that follows 0xFF was
// inserted by the writer and goes.
std::string Resynchronise(std::string_view body) {
    std::string plain;
    plain.reserve(body.size());
    for (std::size_t i = 0; i < body.size(); ++i) {
        plain += body[i];
        if (static_cast<unsigned char>(body[i]) == 0xFF && i + 1 < body.size() &&
            body[i + 1] == '\0') {
            ++i;
        }
    }
    return plain;
}

}  // namespace

const std::string_view CueGeobHead("\0text\0mp3cue CueSheet\0Q", 23);

std::string TextFrameData(std::string_view text) {
    std::string data;
    if (FitsLatin1(text)) {
        data += static_cast<char>(id3v2::Latin1);
        data += Utf8ToLatin1(text);
    } else {
        data += static_cast<char>(id3v2::Utf16);
        data += Utf8ToUtf16WithBom(text);
    }
    return data;
}

std::string FrameBytes(std::string_view id, std::string_view data) {
    std::string frame(TagFrameHeaderSize, '\0');
    std::copy_n(id.begin(), std::min<std::size_t>(id.size(), 4), frame.begin());
    WriteBigEndian32(frame.data() + 4, static_cast<std::uint32_t>(data.size()));
    frame += data;
    return frame;
}

int FrameTable::AddFrame(std::string_view id) {
    if (Count() - chapterFrames_ >= MaxTagFrames) {
        return -1;
    }
    FrameSlot slot;
    std::copy_n(id.begin(), std::min<std::size_t>(id.size(), 4), slot.id.begin());
    slots_.push_back(std::move(slot));
    return Count() - 1;
}

void FrameTable::AddChapterFrame(std::string_view id, std::string data) {
    FrameSlot slot;
    std::copy_n(id.begin(), std::min<std::size_t>(id.size(), 4), slot.id.begin());
    slot.data = std::move(data);
    slots_.push_back(std::move(slot));
    ++chapterFrames_;
}

void FrameTable::AddTextFrame(std::string_view id, std::string_view text) {
    int index = AddFrame(id);
    if (index < 0) {
        return;
    }
    Slot(index).data = TextFrameData(text);
}

bool FrameTable::Contains(const char* id) const {
    return std::any_of(slots_.begin(), slots_.end(), [id](const FrameSlot& slot) {
        return std::memcmp(slot.id.data(), id, 4) == 0;
    });
}

std::uint64_t FrameTable::FramesEnd() const {
    std::uint64_t end = TagHeaderSize;
    for (const FrameSlot& slot : slots_) {
        end += TagFrameHeaderSize + slot.data.size();
    }
    return end;
}

std::string CuePayload(std::string_view cueText, std::string_view versionText) {
    std::string payload;
    payload.reserve(cueText.size() + versionText.size() + 64);
    payload += "CUESHEET\r\n";
    payload += cueText;
    payload += "ENDCUESHEET";
    payload += "CUEVERSION\r\n";
    payload += versionText;
    payload += "ENDCUEVERSION";
    payload += "CUEINFO\r\n";
    payload += "ENDCUEINFO";
    return payload;
}

void AddCueFrames(FrameTable& table, const TrackList& doc, std::string_view cueBytes) {
    table.Clear();
    const int count = std::clamp(doc.trackCount, 0, MaxTracks);
    table.AddTextFrame("TRCK", std::to_string(count));
    table.AddTextFrame("TPE1", doc.cd.artist.str());
    table.AddTextFrame("TIT2", doc.cd.title.str());
    table.AddTextFrame("TALB", doc.cd.title.str());
    table.AddTextFrame("TYER", doc.cd.year.str());
    table.AddTextFrame("TCON", doc.cd.genre.str());
    int geob = table.AddFrame("GEOB");
    if (geob >= 0) {
        std::string& data = table.Slot(geob).data;
        data = CueGeobHead;
        data += CuePayload(cueBytes, VersionText);
    }
}

namespace {

// A disc position in frames as milliseconds from the start of the audio, to the nearest one.
std::uint32_t PositionMs(std::int32_t start) {
    const std::int64_t frames = std::max<std::int64_t>(0, std::int64_t{start} - LeadInFrames);
    return static_cast<std::uint32_t>((frames * 2000 + FramesPerSecond) / (2 * FramesPerSecond));
}

void AppendBigEndian32(std::string& data, std::uint32_t value) {
    char bytes[4];
    WriteBigEndian32(bytes, value);
    data.append(bytes, 4);
}

}  // namespace

void AddChapterFrames(FrameTable& table, const TrackList& doc, std::uint32_t lengthMs) {
    const int count = std::clamp(doc.trackCount, 0, MaxTracks);
    if (count == 0) {
        return;
    }
    auto elementId = [](int track) { return "chp" + std::to_string(track); };
    std::string toc("toc\0\x03", 5);
    toc += static_cast<char>(count);
    for (int i = 0; i < count; ++i) {
        toc += elementId(i);
        toc += '\0';
    }
    toc += FrameBytes("TIT2", TextFrameData(doc.cd.title.str()));
    table.AddChapterFrame("CTOC", std::move(toc));

    for (int i = 0; i < count; ++i) {
        const Track& track = doc.tracks[static_cast<std::size_t>(i)];
        const std::uint32_t start = PositionMs(track.start);
        const std::uint32_t end = std::max(
            start, i + 1 < count ? PositionMs(doc.tracks[static_cast<std::size_t>(i) + 1].start)
                                 : lengthMs);
        std::string chapter = elementId(i);
        chapter += '\0';
        AppendBigEndian32(chapter, start);
        AppendBigEndian32(chapter, end);
        AppendBigEndian32(chapter, 0xFFFFFFFF);
        AppendBigEndian32(chapter, 0xFFFFFFFF);
        chapter += FrameBytes("TIT2", TextFrameData(track.title.str()));
        const std::string& performer =
            track.performer.str().empty() ? doc.cd.artist.str() : track.performer.str();
        chapter += FrameBytes("TPE1", TextFrameData(performer));
        table.AddChapterFrame("CHAP", std::move(chapter));
    }
}

void CarryOverFrames(FrameTable& table, std::string_view oldTag) {
    if (oldTag.size() <= TagHeaderSize) {
        return;
    }
    const auto flags = static_cast<unsigned char>(oldTag[5]);
    std::string body(oldTag.substr(TagHeaderSize));
    if (flags & FlagUnsynchronisation) {
        body = Resynchronise(body);
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(body.data());
    const std::uint64_t length = body.size();

    std::uint64_t offset = 0;
    if (flags & FlagExtendedHeader) {
        // The extended header states its size without the four bytes of the size itself.
        if (length < 4) {
            return;
        }
        offset = 4 + static_cast<std::uint64_t>(ReadBigEndian32(bytes));
    }
    while (offset < length) {
        if (length - offset < TagFrameHeaderSize) {
            return;  // a frame header cut by the end of the tag
        }
        const unsigned char* frame = bytes + offset;
        // Zero padding: the ID bytes, taken as signed, add up to nothing.
        int sum = 0;
        for (int i = 0; i < 4; ++i) {
            sum += static_cast<signed char>(frame[i]);
        }
        if (sum == 0) {
            return;
        }
        const std::uint64_t size = ReadBigEndian32(frame + 4);
        if (size > length - offset - TagFrameHeaderSize) {
            return;  // the frame runs past the end of the tag
        }
        const char* id = reinterpret_cast<const char*>(frame);
        const bool oldChapter = std::memcmp(id, "CHAP", 4) == 0 || std::memcmp(id, "CTOC", 4) == 0;
        if (!oldChapter && !table.Contains(id)) {
            int index = table.AddFrame(std::string_view(id, 4));
            if (index < 0) {
                return;
            }
            FrameSlot& slot = table.Slot(index);
            slot.flags = {frame[8], frame[9]};
            slot.data.assign(reinterpret_cast<const char*>(frame + TagFrameHeaderSize),
                             static_cast<std::size_t>(size));
        }
        offset += TagFrameHeaderSize + size;
    }
}

void SyncsafeEncode(unsigned char* destination, std::uint32_t value) {
    destination[0] = static_cast<unsigned char>((value >> 21) & 0x7F);
    destination[1] = static_cast<unsigned char>((value >> 14) & 0x7F);
    destination[2] = static_cast<unsigned char>((value >> 7) & 0x7F);
    destination[3] = static_cast<unsigned char>(value & 0x7F);
}

std::string AssembleTag(const FrameTable& table, std::uint64_t totalLength) {
    totalLength = std::max(totalLength, table.FramesEnd());
    std::string tag;
    tag.reserve(static_cast<std::size_t>(totalLength));
    tag += "ID3";
    tag += '\x03';
    tag += '\0';
    tag += '\0';
    unsigned char size[4];
    SyncsafeEncode(size, static_cast<std::uint32_t>(totalLength - TagHeaderSize));
    tag.append(reinterpret_cast<const char*>(size), 4);
    for (const FrameSlot& slot : table.Slots()) {
        char head[TagFrameHeaderSize];
        std::memcpy(head, slot.id.data(), 4);
        WriteBigEndian32(head + 4, static_cast<std::uint32_t>(slot.data.size()));
        head[8] = static_cast<char>(slot.flags[0]);
        head[9] = static_cast<char>(slot.flags[1]);
        tag.append(head, sizeof head);
        tag += slot.data;
    }
    tag.resize(static_cast<std::size_t>(totalLength), '\0');
    return tag;
}

TagPlan PlanTag(std::uint64_t framesEnd, std::uint64_t oldTagLength) {
    TagPlan plan;
    if (framesEnd + 10 < oldTagLength && oldTagLength - TagHeaderSize <= MaxSyncsafeValue) {
        plan.inPlace = true;
        plan.length = oldTagLength;
        return plan;
    }
    plan.length = framesEnd + CueTagPadding;
    plan.fits = plan.length - TagHeaderSize <= MaxSyncsafeValue;
    return plan;
}

}  // namespace tracklore
