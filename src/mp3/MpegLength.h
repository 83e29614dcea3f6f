#pragma once

#include <cstdint>

#include "mp3/ByteSource.h"

namespace tracklore {

// The values of one MPEG audio frame header.
struct MpegFrame {
    int version = 0;  // 1, 2 or 25 (MPEG 2.5)
    int layer = 0;
    int bitrate = 0;  // kbit/s
    int sampleRate = 0;
    int length = 0;   // bytes, header included
    int samples = 0;  // per channel
    bool mono = false;
    bool crc = false;
    // Version, layer and sample rate: what every frame of one stream shares.
    int streamKey = 0;
};

// Reads the four header bytes; false for reserved values, free format (no bitrate) and
// bitrate index 15.
bool ParseMpegFrame(const unsigned char* header, MpegFrame& frame);

enum class MpegLengthMethod {
    None,       // not measurable
    ByteCount,  // constant bitrate: the audio bytes at the first frame's bitrate
    VbrHeader,  // the frame count of a Xing, Info or VBRI header
    FrameWalk,  // every frame header counted
};

struct MpegLength {
    MpegLengthMethod method = MpegLengthMethod::None;
    double seconds = 0.0;
    std::int64_t audioBytes = 0;  // first frame to the end of the audio, trailing tags excluded
    bool header = false;          // a Xing, Info or VBRI header in the first frame
    bool variable = false;        // Xing or VBRI (an Info header marks a constant bitrate)
    std::uint32_t headerFrames = 0;
};

// Measures the audio from the frame header at `audioStart` to `streamEnd` (exclusive). Trailing
// ID3v1, APEv2 and Lyrics3 tags are left out. A usable VBR header in the first frame gives the
// length; otherwise a stream whose first frames and last frames agree on one bitrate is counted
// by its bytes, and any other (bitrate changes, bytes between frames) is walked frame by frame.
// Where an encoder's delay and padding are recorded, they are not counted.
MpegLength MeasureMpegLength(ByteSource& source, std::uint64_t audioStart, std::uint64_t streamEnd);

}  // namespace tracklore
