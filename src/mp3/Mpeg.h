#pragma once

#include <array>
#include <cstdint>

#include "mp3/ByteSource.h"
#include "mp3/MpegLength.h"

namespace tracklore {

// The playing time of a stretch of an MP3 file: found from its first frame header, the VBR
// header in that frame and, where they leave it open, its frame headers (mp3/MpegLength.h).
constexpr int MpegSearchWindow = 65535;  // starting bytes examined for a frame sync
constexpr std::int64_t MinAudioBytes = 16384;
constexpr int MinBitrate = 1;
constexpr int MaxBitrate = 600;
constexpr float MinStreamSeconds = 2.0f;

struct MpegStreamInfo {
    bool isMpeg = false;  // the probe's answer: MPEG audio of at least two seconds
    std::int32_t sampleRate = 0;
    bool isVbr = false;            // a Xing or VBRI header
    std::uint32_t xingFrames = 0;  // the frame count of a Xing, Info or VBRI header
    std::int32_t bitrate = 0;      // kbit/s; the average for a variable bitrate
    std::int32_t version = 0;      // 1, 2 or 25 (MPEG 2.5)
    std::int32_t layer = 0;
    float durationSeconds = 0.0f;
    MpegLengthMethod lengthMethod = MpegLengthMethod::None;
    std::int64_t streamSize = 0;
    std::int32_t firstFrameOffset = -1;  // bytes between the tag's end and the first header
    bool hasId3v2 = false;
    std::int64_t id3v2Size = 0;  // whole tag: header, body and footer
    std::array<std::uint8_t, 4> headerBytes{};
};

// Searches the stream from its position for the first frame header, skipping an ID3v2 tag
// at the start. Fills the tag and header fields of `info`; returns the offset of the header
// from the tag's end, or -1.
std::int32_t FindFirstMpegFrame(ByteSource& source, MpegStreamInfo& info);

// Probes the `streamSize` bytes from the source's position. `isMpeg` of the result is the
// answer; the position afterwards is unspecified.
MpegStreamInfo ProbeMpegStream(ByteSource& source, std::int64_t streamSize);

// durationSeconds when the probe accepts the stream, else exactly -1.0.
float MpegDuration(ByteSource& source, std::int64_t streamSize);

// Total length of an ID3v2 tag from its 10-byte header (syncsafe size + 10, + 10 more with
// the footer flag). No validity test.
std::int64_t Id3v2TagLength(const unsigned char* header);

}  // namespace tracklore
