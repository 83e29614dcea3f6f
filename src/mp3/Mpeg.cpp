#include "mp3/Mpeg.h"

#include <cstring>
#include <vector>

namespace tracklore {

namespace {

constexpr int BitrateTable[5][16] = {
    {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, -1},  // MPEG 1 layer I
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, -1},     // MPEG 1 layer II
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, -1},      // MPEG 1 layer III
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, -1},     // MPEG 2 layer I
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, -1},  // MPEG 2 layers II, III
};

constexpr std::int32_t SampleRateTable[3][3] = {
    {44100, 48000, 32000},  // MPEG 1
    {22050, 24000, 16000},  // MPEG 2
    {11025, 12000, 8000},   // MPEG 2.5
};

// Bytes read after the last sync position searched: the rest of its header.
constexpr std::size_t HeaderTail = 4;

bool IsId3v2Header(const unsigned char* b) {
    return b[0] == 'I' && b[1] == 'D' && b[2] == '3' && b[3] < 0xFF && b[4] < 0xFF && b[6] < 0x80 &&
           b[7] < 0x80 && b[8] < 0x80 && b[9] < 0x80;
}

}  // namespace

std::int64_t Id3v2TagLength(const unsigned char* header) {
    std::int64_t size = (static_cast<std::int64_t>(header[6] & 0x7F) << 21) |
                        (static_cast<std::int64_t>(header[7] & 0x7F) << 14) |
                        (static_cast<std::int64_t>(header[8] & 0x7F) << 7) |
                        static_cast<std::int64_t>(header[9] & 0x7F);
    size += 10;
    if (header[5] & 0x10) {
        size += 10;
    }
    return size;
}

std::int32_t FindFirstMpegFrame(ByteSource& source, MpegStreamInfo& info) {
    unsigned char head[10] = {};
    std::size_t got = source.Read(head, sizeof head);
    if (got == sizeof head && IsId3v2Header(head)) {
        info.hasId3v2 = true;
        info.id3v2Size = Id3v2TagLength(head);
        source.Skip(info.id3v2Size - 10);
    } else {
        info.hasId3v2 = false;
        info.id3v2Size = 0;
        source.Skip(-static_cast<std::int64_t>(got));
    }

    // The search examines starting positions 0 to 65534; a header at the last one still
    // needs its remaining bytes, so read them along in one block.
    std::vector<unsigned char> window(MpegSearchWindow + HeaderTail);
    std::size_t length = source.Read(window.data(), window.size());
    for (std::size_t k = 0; k < static_cast<std::size_t>(MpegSearchWindow) && k + 1 < length; ++k) {
        if (window[k] != 0xFF || window[k + 1] < 0xE0) {
            continue;
        }
        // Bytes beyond the end of the stream read as zero.
        auto at = [&](std::size_t i) -> unsigned char { return i < length ? window[i] : 0; };
        info.firstFrameOffset = static_cast<std::int32_t>(k);
        info.headerBytes = {at(k), at(k + 1), at(k + 2), at(k + 3)};
        return info.firstFrameOffset;
    }
    info.firstFrameOffset = -1;
    return -1;
}

MpegStreamInfo ProbeMpegStream(ByteSource& source, std::int64_t streamSize) {
    MpegStreamInfo info;
    const std::uint64_t base = source.Position();
    if (FindFirstMpegFrame(source, info) < 0) {
        return info;
    }
    info.streamSize = streamSize;
    // A stream smaller than its own tag has no audio bytes at all.
    const std::int64_t audioBytes = streamSize - info.id3v2Size;
    if (audioBytes < MinAudioBytes) {
        return info;
    }
    const std::uint8_t b2 = info.headerBytes[1];
    const std::uint8_t b3 = info.headerBytes[2];
    switch ((b2 >> 3) & 3) {
        case 0:
            info.version = 25;
            break;
        case 2:
            info.version = 2;
            break;
        case 3:
            info.version = 1;
            break;
        default:
            return info;
    }
    switch ((b2 >> 1) & 3) {
        case 1:
            info.layer = 3;
            break;
        case 2:
            info.layer = 2;
            break;
        case 3:
            info.layer = 1;
            break;
        default:
            return info;
    }
    const int rateIndex = (b3 >> 2) & 3;
    if (rateIndex == 3) {
        return info;
    }
    const int versionRow = info.version == 1 ? 0 : (info.version == 2 ? 1 : 2);
    info.sampleRate = SampleRateTable[versionRow][rateIndex];

    const std::uint64_t audioStart = base + static_cast<std::uint64_t>(info.id3v2Size) +
                                     static_cast<std::uint64_t>(info.firstFrameOffset);
    const MpegLength length =
        MeasureMpegLength(source, audioStart, base + static_cast<std::uint64_t>(streamSize));
    info.isVbr = length.variable;
    info.xingFrames = length.headerFrames;
    info.lengthMethod = length.method;
    if (length.method == MpegLengthMethod::None || !(length.seconds > 0.0)) {
        return info;
    }
    if (info.version == 25 && !length.header) {
        return info;  // MPEG 2.5 is measured only with a VBR header
    }
    if (length.method == MpegLengthMethod::FrameWalk ||
        (length.method == MpegLengthMethod::VbrHeader && length.variable)) {
        // The average bitrate over the audio bytes.
        const double average =
            8.0 * static_cast<double>(length.audioBytes) / length.seconds / 1000.0;
        if (!(average >= MinBitrate && average < MaxBitrate + 1)) {
            return info;
        }
        info.bitrate = static_cast<std::int32_t>(average);
    } else {
        const int row = info.version == 1 ? info.layer - 1 : (info.layer == 1 ? 3 : 4);
        info.bitrate = BitrateTable[row][(b3 >> 4) & 0xF];
    }
    if (info.bitrate < MinBitrate || info.bitrate > MaxBitrate) {
        return info;
    }
    info.durationSeconds = static_cast<float>(length.seconds);
    info.isMpeg = info.durationSeconds >= MinStreamSeconds;
    return info;
}

float MpegDuration(ByteSource& source, std::int64_t streamSize) {
    MpegStreamInfo info = ProbeMpegStream(source, streamSize);
    return info.isMpeg ? info.durationSeconds : -1.0f;
}

}  // namespace tracklore
