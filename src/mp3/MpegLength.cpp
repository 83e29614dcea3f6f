#include "mp3/MpegLength.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace tracklore {

namespace {

constexpr int FrameBitrates[5][16] = {
    {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, -1},  // MPEG 1 layer I
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, -1},     // MPEG 1 layer II
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, -1},      // MPEG 1 layer III
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, -1},     // MPEG 2/2.5 I
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, -1},  // MPEG 2/2.5 II, III
};

constexpr int FrameSampleRates[3][3] = {
    {44100, 48000, 32000},
    {22050, 24000, 16000},
    {11025, 12000, 8000},
};

// Bytes read at the first frame: its VBR header and the first frames after it.
constexpr std::size_t StartBlock = 16384;
// Bytes examined before the end of the audio for the last frames.
constexpr std::size_t TailBlock = 16384;
// Frames at the start that must share the first frame's bitrate.
constexpr int StartFrames = 8;
// Zero bytes before the end (padding of an unfinished download) are looked through up to this
// many; a longer run cannot be told from a sparse file and counts as audio.
constexpr std::uint64_t ZeroTailLimit = 1 << 20;
constexpr std::size_t WalkBlock = 1 << 16;

int FrameLength(int version, int layer, int bitrate, int sampleRate, int padding) {
    const int bps = bitrate * 1000;
    if (layer == 1) {
        return (12 * bps / sampleRate + padding) * 4;
    }
    const int factor = (layer == 3 && version != 1) ? 72 : 144;
    return factor * bps / sampleRate + padding;
}

int BitrateRow(int version, int layer) {
    if (version == 1) {
        return layer - 1;
    }
    return layer == 1 ? 3 : 4;
}

std::uint32_t BigEndian32(const unsigned char* p) {
    return (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
           (static_cast<std::uint32_t>(p[2]) << 8) | static_cast<std::uint32_t>(p[3]);
}

std::uint32_t LittleEndian32(const unsigned char* p) {
    return (static_cast<std::uint32_t>(p[3]) << 24) | (static_cast<std::uint32_t>(p[2]) << 16) |
           (static_cast<std::uint32_t>(p[1]) << 8) | static_cast<std::uint32_t>(p[0]);
}

// Reads `count` bytes at `position`; what cannot be read is zero. Returns the count read.
std::size_t ReadAt(ByteSource& source, std::uint64_t position, unsigned char* out,
                   std::size_t count) {
    source.SeekTo(position);
    std::size_t got = source.Read(out, count);
    std::memset(out + got, 0, count - got);
    return got;
}

// The end of the audio once ID3v1, APEv2 and Lyrics3 tags at the end are left out, in any
// order and each at most a few times.
std::uint64_t StripTrailingTags(ByteSource& source, std::uint64_t start, std::uint64_t end) {
    for (int round = 0; round < 6; ++round) {
        const std::uint64_t room = end - start;
        unsigned char tail[32];
        if (room >= 128) {
            ReadAt(source, end - 128, tail, 3);
            if (std::memcmp(tail, "TAG", 3) == 0) {
                end -= 128;
                continue;
            }
        }
        if (room >= 32) {
            ReadAt(source, end - 32, tail, 32);
            if (std::memcmp(tail, "APETAGEX", 8) == 0) {
                const std::uint64_t size = LittleEndian32(tail + 12);
                const bool hasHeader = (LittleEndian32(tail + 20) & 0x80000000u) != 0;
                const std::uint64_t total = size + (hasHeader ? 32 : 0);
                if (size >= 32 && total <= room) {
                    end -= total;
                    continue;
                }
            }
        }
        if (room >= 15) {
            ReadAt(source, end - 15, tail, 15);
            if (std::memcmp(tail + 6, "LYRICS200", 9) == 0) {
                std::uint64_t size = 0;
                bool digits = true;
                for (int i = 0; i < 6; ++i) {
                    digits = digits && tail[i] >= '0' && tail[i] <= '9';
                    size = size * 10 + static_cast<std::uint64_t>(tail[i] - '0');
                }
                if (digits && size + 15 <= room) {
                    end -= size + 15;
                    continue;
                }
            } else if (std::memcmp(tail + 6, "LYRICSEND", 9) == 0) {
                // The older form has no size: its start marker lies at most 5100 bytes back.
                const std::size_t span =
                    static_cast<std::size_t>(std::min<std::uint64_t>(room, 5120));
                std::vector<unsigned char> block(span);
                ReadAt(source, end - span, block.data(), span);
                static constexpr char Begin[] = "LYRICSBEGIN";
                auto found = std::find_end(block.begin(), block.end(), Begin, Begin + 11);
                if (found != block.end()) {
                    end -= span - static_cast<std::size_t>(found - block.begin());
                    continue;
                }
            }
        }
        break;
    }
    return end;
}

struct VbrHeader {
    bool found = false;
    bool variable = false;  // Xing or VBRI, not Info
    std::uint32_t frames = 0;
    bool hasBytes = false;
    std::uint32_t bytes = 0;
    bool gapless = false;  // encoder delay and padding recorded
    int delay = 0;
    int padding = 0;
};

// A Xing or Info header after the side information (two bytes later behind a checksum), or a
// VBRI header 32 bytes after the frame header. `frame` holds the frame's first bytes.
VbrHeader ReadVbrHeader(const unsigned char* frame, std::size_t length, int version, bool mono,
                        bool crc) {
    VbrHeader h;
    const std::size_t side = version == 1 ? (mono ? 17 : 32) : (mono ? 9 : 17);
    for (std::size_t x : {4 + side, 4 + side + (crc ? 2 : 0)}) {
        if (x + 8 > length ||
            (std::memcmp(frame + x, "Xing", 4) != 0 && std::memcmp(frame + x, "Info", 4) != 0)) {
            continue;
        }
        h.found = true;
        h.variable = frame[x] == 'X';
        const std::uint32_t flags = BigEndian32(frame + x + 4);
        std::size_t p = x + 8;
        if ((flags & 1) && p + 4 <= length) {
            h.frames = BigEndian32(frame + p);
            p += 4;
        }
        if ((flags & 2) && p + 4 <= length) {
            h.hasBytes = true;
            h.bytes = BigEndian32(frame + p);
            p += 4;
        }
        p += (flags & 4) ? 100 : 0;
        p += (flags & 8) ? 4 : 0;
        // The encoder's extension: its name in 9 bytes, then 12 bytes of settings and gains,
        // then delay and padding as two 12-bit numbers.
        if (p + 24 <= length &&
            (std::memcmp(frame + p, "LAME", 4) == 0 || std::memcmp(frame + p, "Lavf", 4) == 0 ||
             std::memcmp(frame + p, "Lavc", 4) == 0)) {
            h.gapless = true;
            h.delay = (frame[p + 21] << 4) | (frame[p + 22] >> 4);
            h.padding = ((frame[p + 22] & 0x0F) << 8) | frame[p + 23];
        }
        return h;
    }
    if (36 + 18 <= length && std::memcmp(frame + 36, "VBRI", 4) == 0) {
        h.found = true;
        h.variable = true;
        h.hasBytes = true;
        h.bytes = BigEndian32(frame + 36 + 10);
        h.frames = BigEndian32(frame + 36 + 14);
    }
    return h;
}

// A window onto the stream for reading frame headers one after another.
class FrameReader {
  public:
    FrameReader(ByteSource& source, std::uint64_t end) : source_(source), end_(end) {}

    // The `count` bytes at `position`, or nullptr when the stream has fewer there.
    const unsigned char* At(std::uint64_t position, std::size_t count) {
        if (position + count > end_) {
            return nullptr;
        }
        if (position < start_ || position + count > start_ + length_) {
            const std::uint64_t want = std::min<std::uint64_t>(WalkBlock, end_ - position);
            buffer_.resize(static_cast<std::size_t>(want));
            source_.SeekTo(position);
            start_ = position;
            length_ = source_.Read(buffer_.data(), buffer_.size());
            if (count > length_) {
                return nullptr;
            }
        }
        return buffer_.data() + (position - start_);
    }

  private:
    ByteSource& source_;
    std::uint64_t end_;
    std::vector<unsigned char> buffer_;
    std::uint64_t start_ = 0;
    std::size_t length_ = 0;
};

// A frame of the stream at `position`. Found by a search, it counts only when its successor's
// header follows at its length (or it reaches the end), as decoders resynchronise; right after
// a counted frame its own header is enough.
bool CountableFrame(FrameReader& reader, std::uint64_t position, std::uint64_t end, int streamKey,
                    bool inSync, MpegFrame& frame) {
    const unsigned char* p = reader.At(position, 4);
    if (!p || p[0] != 0xFF || !ParseMpegFrame(p, frame) || frame.streamKey != streamKey) {
        return false;
    }
    const std::uint64_t next = position + static_cast<std::uint64_t>(frame.length);
    if (inSync || next + 4 > end) {
        return true;
    }
    const unsigned char* q = reader.At(next, 4);
    if (!q) {
        return true;  // the readable bytes end here
    }
    MpegFrame following;
    return q[0] == 0xFF && ParseMpegFrame(q, following) && following.streamKey == streamKey;
}

struct WalkCount {
    std::uint64_t frames = 0;
    std::uint64_t samples = 0;
};

WalkCount WalkFrames(ByteSource& source, std::uint64_t position, std::uint64_t end, int streamKey) {
    FrameReader reader(source, end);
    WalkCount count;
    bool inSync = false;
    while (position + 4 <= end) {
        MpegFrame frame;
        inSync = CountableFrame(reader, position, end, streamKey, inSync, frame);
        if (inSync) {
            ++count.frames;
            count.samples += static_cast<std::uint64_t>(frame.samples);
            position += static_cast<std::uint64_t>(frame.length);
            continue;
        }
        if (!reader.At(position, 4)) {
            break;  // nothing more can be read
        }
        // On to the next 0xFF within the bytes at hand.
        const std::uint64_t from = position + 1;
        const std::size_t span =
            static_cast<std::size_t>(std::min<std::uint64_t>(WalkBlock / 2, end - from));
        const unsigned char* bytes = span > 0 ? reader.At(from, span) : nullptr;
        if (!bytes) {
            position = from;
            continue;
        }
        const void* hit = std::memchr(bytes, 0xFF, span);
        position =
            hit ? from + static_cast<std::uint64_t>(static_cast<const unsigned char*>(hit) - bytes)
                : from + span;
    }
    return count;
}

enum class StartVerdict { Agrees, Differs, Zeros };

// The first frames in `block` (the stream's first bytes): Differs when a frame has another
// bitrate or other bytes follow a frame, Zeros when zero bytes follow one.
StartVerdict CheckStartFrames(const unsigned char* block, std::size_t length,
                              const MpegFrame& first) {
    std::size_t position = 0;
    for (int agreeing = 0; agreeing < StartFrames && position + 4 <= length; ++agreeing) {
        MpegFrame frame;
        if (block[position] != 0xFF || !ParseMpegFrame(block + position, frame) ||
            frame.streamKey != first.streamKey) {
            return block[position] == 0 ? StartVerdict::Zeros : StartVerdict::Differs;
        }
        if (frame.bitrate != first.bitrate) {
            return StartVerdict::Differs;
        }
        position += static_cast<std::size_t>(frame.length);
    }
    return StartVerdict::Agrees;
}

enum class TailVerdict { Agrees, Differs, Unknown };

// Looks for the chain of frames that runs to `tailEnd` within the block before it. Agrees when
// that chain keeps the first frame's bitrate; `chainEnd` is then where its last frame ends.
TailVerdict CheckTailFrames(ByteSource& source, std::uint64_t audioStart, std::uint64_t tailEnd,
                            const MpegFrame& first, std::uint64_t& chainEnd) {
    const std::uint64_t blockStart =
        tailEnd - std::min<std::uint64_t>(TailBlock, tailEnd - audioStart);
    const std::size_t length = static_cast<std::size_t>(tailEnd - blockStart);
    std::vector<unsigned char> block(length + 4, 0);
    ReadAt(source, blockStart, block.data(), length);
    for (std::size_t p = 0; p + 4 <= length; ++p) {
        MpegFrame frame;
        if (block[p] != 0xFF || !ParseMpegFrame(&block[p], frame) ||
            frame.streamKey != first.streamKey) {
            continue;
        }
        std::size_t q = p;
        int frames = 0;
        bool sameRate = true;
        while (q + 4 <= length && block[q] == 0xFF && ParseMpegFrame(&block[q], frame) &&
               frame.streamKey == first.streamKey) {
            sameRate = sameRate && frame.bitrate == first.bitrate;
            ++frames;
            q += static_cast<std::size_t>(frame.length);
        }
        // A chain ends at the end when its last frame reaches it; two frames at least, so that
        // a chance sync in other bytes does not count.
        if (q >= length && (frames >= 2 || blockStart == audioStart)) {
            chainEnd = blockStart + q;
            return sameRate ? TailVerdict::Agrees : TailVerdict::Differs;
        }
    }
    return TailVerdict::Unknown;
}

// The end of the audio before a run of zero bytes at its end (`end` itself when there is none),
// or 0 when the run is longer than the search goes.
std::uint64_t EndBeforeZeros(ByteSource& source, std::uint64_t start, std::uint64_t end) {
    std::vector<unsigned char> block(TailBlock);
    std::uint64_t position = end;
    while (position > start) {
        if (end - position >= ZeroTailLimit) {
            return 0;
        }
        if (position > source.Size()) {
            position = std::max(source.Size(), start);  // nothing there to read
            continue;
        }
        const std::size_t length =
            static_cast<std::size_t>(std::min<std::uint64_t>(TailBlock, position - start));
        ReadAt(source, position - length, block.data(), length);
        for (std::size_t i = length; i > 0; --i) {
            if (block[i - 1] != 0) {
                return position - length + i;
            }
        }
        position -= length;
    }
    return end;
}

}  // namespace

bool ParseMpegFrame(const unsigned char* b, MpegFrame& frame) {
    if (b[0] != 0xFF || (b[1] & 0xE0) != 0xE0) {
        return false;
    }
    const int versionBits = (b[1] >> 3) & 3;
    const int layerBits = (b[1] >> 1) & 3;
    const int rateIndex = (b[2] >> 2) & 3;
    const int bitrateIndex = b[2] >> 4;
    if (versionBits == 1 || layerBits == 0 || rateIndex == 3 || bitrateIndex == 0 ||
        bitrateIndex == 15) {
        return false;
    }
    frame.version = versionBits == 3 ? 1 : (versionBits == 2 ? 2 : 25);
    frame.layer = 4 - layerBits;
    const int versionRow = frame.version == 1 ? 0 : (frame.version == 2 ? 1 : 2);
    frame.sampleRate = FrameSampleRates[versionRow][rateIndex];
    frame.bitrate = FrameBitrates[BitrateRow(frame.version, frame.layer)][bitrateIndex];
    frame.length =
        FrameLength(frame.version, frame.layer, frame.bitrate, frame.sampleRate, (b[2] >> 1) & 1);
    frame.samples = frame.layer == 1 ? 384 : (frame.layer == 3 && frame.version != 1 ? 576 : 1152);
    frame.mono = (b[3] >> 6) == 3;
    frame.crc = (b[1] & 1) == 0;
    frame.streamKey = (b[1] & 0x1E) << 8 | (b[2] & 0x0C);
    return true;
}

MpegLength MeasureMpegLength(ByteSource& source, std::uint64_t audioStart,
                             std::uint64_t streamEnd) {
    MpegLength result;
    if (audioStart + 4 > streamEnd) {
        return result;
    }
    const std::uint64_t audioEnd = StripTrailingTags(source, audioStart, streamEnd);
    const std::uint64_t available = audioEnd - audioStart;
    result.audioBytes = static_cast<std::int64_t>(available);

    std::vector<unsigned char> block(StartBlock, 0);
    const std::size_t startLength = static_cast<std::size_t>(
        std::min<std::uint64_t>(ReadAt(source, audioStart, block.data(), StartBlock), available));
    if (startLength < 4) {
        return result;
    }
    // The first frame's header may be one the probe accepts but no frame walk can follow
    // (free format): then only its VBR header can tell the length.
    MpegFrame first;
    const bool walkable = ParseMpegFrame(block.data(), first);
    if (!walkable) {
        first.version = (block[1] >> 3 & 3) == 3 ? 1 : ((block[1] >> 3 & 3) == 2 ? 2 : 25);
        first.layer = 4 - ((block[1] >> 1) & 3);
        first.mono = (block[3] >> 6) == 3;
        first.crc = (block[1] & 1) == 0;
        const int versionRow = first.version == 1 ? 0 : (first.version == 2 ? 1 : 2);
        const int rateIndex = (block[2] >> 2) & 3;
        if (first.layer > 3 || rateIndex == 3) {
            return result;
        }
        first.sampleRate = FrameSampleRates[versionRow][rateIndex];
        first.samples =
            first.layer == 1 ? 384 : (first.layer == 3 && first.version != 1 ? 576 : 1152);
    }

    const VbrHeader vbr = first.layer == 3 ? ReadVbrHeader(block.data(), startLength, first.version,
                                                           first.mono, first.crc)
                                           : VbrHeader{};
    result.header = vbr.found;
    result.variable = vbr.variable;
    result.headerFrames = vbr.frames;
    const auto seconds = [&](std::uint64_t samples, bool whole) {
        // Gapless players leave out the encoder's delay, and its padding after the last frame.
        std::uint64_t cut = 0;
        if (vbr.gapless) {
            cut = static_cast<std::uint64_t>(vbr.delay) +
                  (whole ? static_cast<std::uint64_t>(vbr.padding) : 0);
        }
        return static_cast<double>(samples > cut ? samples - cut : 0) / first.sampleRate;
    };

    if (vbr.found && vbr.frames > 0) {
        // Believed only when the bytes there can hold that many frames: a file cut short keeps
        // the count of the whole.
        const int row = BitrateRow(first.version, first.layer);
        const std::uint64_t smallest = static_cast<std::uint64_t>(
            FrameLength(first.version, first.layer, FrameBitrates[row][1], first.sampleRate, 0));
        const std::uint64_t largest = static_cast<std::uint64_t>(
            FrameLength(first.version, first.layer, FrameBitrates[row][14], first.sampleRate, 1));
        const std::uint64_t afterHeader =
            available - (walkable ? std::min<std::uint64_t>(available, first.length) : 0);
        bool believable = vbr.frames * smallest <= afterHeader;
        if (vbr.hasBytes) {
            believable = believable && vbr.bytes <= available + largest;
        } else {
            believable = believable && afterHeader <= (vbr.frames + std::uint64_t{1}) * largest;
        }
        if (believable) {
            result.method = MpegLengthMethod::VbrHeader;
            result.seconds = seconds(
                std::uint64_t{vbr.frames} * static_cast<std::uint64_t>(first.samples), true);
            return result;
        }
    }
    if (!walkable) {
        return result;
    }

    // A header not believed is passed over with its frame, which holds no audio.
    bool walk =
        vbr.found || CheckStartFrames(block.data(), startLength, first) == StartVerdict::Differs;
    std::uint64_t countedEnd = audioEnd;
    if (!walk) {
        const std::uint64_t tailEnd = EndBeforeZeros(source, audioStart, audioEnd);
        std::uint64_t chainEnd = audioEnd;
        // Beyond the zero search (a sparse or preallocated file) every byte counts.
        if (tailEnd != 0) {
            if (CheckTailFrames(source, audioStart, tailEnd, first, chainEnd) !=
                TailVerdict::Agrees) {
                walk = true;
            } else if (tailEnd < audioEnd) {
                countedEnd = std::min(chainEnd, audioEnd);
            }
        }
    }
    if (!walk) {
        result.method = MpegLengthMethod::ByteCount;
        const std::uint64_t bytes = countedEnd - audioStart;
        result.audioBytes = static_cast<std::int64_t>(bytes);
        result.seconds = 8.0 * static_cast<double>(bytes) / first.bitrate / 1000.0;
        return result;
    }

    const std::uint64_t from =
        audioStart + (vbr.found ? static_cast<std::uint64_t>(first.length) : 0);
    const WalkCount count = WalkFrames(source, from, audioEnd, first.streamKey);
    if (count.frames == 0) {
        return result;
    }
    result.method = MpegLengthMethod::FrameWalk;
    result.seconds = seconds(count.samples, vbr.found && count.frames >= vbr.frames);
    return result;
}

}  // namespace tracklore
