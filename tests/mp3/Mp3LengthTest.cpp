// Lengths of MP3 streams: real files from other projects' test suites (tests/data/mp3, with
// their sources) against what a full decode gives, and made-up streams for what those files
// lack.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>

#include "flows/FolderScanFlow.h"
#include "mp3/Mpeg.h"
#include "mp3/MpegLength.h"
#include "support/TestSupport.h"

namespace tracklore {
namespace {

using namespace test::mp3;
using Method = MpegLengthMethod;

const std::string DataDir = std::string(TRACKLORE_SOURCE_DIR) + "/tests/data/mp3/";

// The length of the audio from the first frame header on, whether or not the probe accepts it.
MpegLength Measure(const std::string& bytes) {
    MemorySource source(bytes);
    MpegStreamInfo info;
    if (FindFirstMpegFrame(source, info) < 0) {
        return {};
    }
    return MeasureMpegLength(
        source, static_cast<std::uint64_t>(info.id3v2Size + info.firstFrameOffset), bytes.size());
}

float Duration(const std::string& bytes) {
    MemorySource source(bytes);
    return MpegDuration(source, static_cast<std::int64_t>(bytes.size()));
}

// A 100000-byte APEv2 tag with header and footer.
std::string ApeTag() {
    std::string item(8, '\0');
    item[0] = static_cast<char>(99980 & 0xFF);
    item[1] = static_cast<char>((99980 >> 8) & 0xFF);
    item[2] = static_cast<char>(99980 >> 16);
    item += std::string("Comment\0", 8) + std::string(99980, 'A');
    auto part = [&](std::uint8_t flags) {
        std::string p = "APETAGEX";
        p += std::string("\xD0\x07\0\0", 4);  // version 2000
        const std::uint32_t size = static_cast<std::uint32_t>(item.size() + 32);
        for (int i = 0; i < 4; ++i) {
            p += static_cast<char>((size >> (8 * i)) & 0xFF);
        }
        p += std::string("\1\0\0", 4) + std::string(3, '\0') + static_cast<char>(flags);
        return p + std::string(8, '\0');
    };
    return part(0xA0) + item + part(0x80);
}

std::string DataFile(const std::string& name) {
    return test::ReadFileBytes(DataDir + name);
}

struct RealCase {
    std::string name;
    std::string bytes;
    double decoded;  // seconds of a full decode (SOURCES tells how they were measured)
    bool accepted;   // 16384 bytes after the ID3v2 tag, two seconds; MPEG 2.5 with a VBR header
    Method method;
};

TEST(Mp3Length, RealFilesMatchTheirFullDecode) {
    const std::string cbr = DataFile("cbr-stereo-id3v1.mp3");
    const std::string vbr = DataFile("vbr-xing-gapless.mp3");
    const std::vector<RealCase> cases = {
        {"cbr-stereo-id3v1", cbr, 5.4857, true, Method::ByteCount},
        {"cbr-info-gapless", DataFile("cbr-info-gapless.mp3"), 8.2286, true, Method::VbrHeader},
        {"cbr-zero-tail", DataFile("cbr-zero-tail.mp3"), 49.2408, true, Method::ByteCount},
        {"vbr-xing-gapless", vbr, 8.9049, true, Method::VbrHeader},
        {"mono-xing", DataFile("mono-xing.mp3"), 3.9170, true, Method::VbrHeader},
        {"vbr-mono-noheader", DataFile("vbr-mono-noheader.mp3"), 10.7102, true, Method::FrameWalk},
        {"mpeg2-vbr-noheader", DataFile("mpeg2-vbr-noheader.mp3"), 12.4343, true,
         Method::FrameWalk},
        {"mpeg2-stereo-xing", DataFile("mpeg2-stereo-xing.mp3"), 2.0000, false, Method::VbrHeader},
        {"mpeg2-mono-xing-cut", DataFile("mpeg2-mono-xing-cut.mp3"), 5.0960, true,
         Method::FrameWalk},
        {"mpeg25-cbr", DataFile("mpeg25-cbr.mp3"), 40.1760, false, Method::ByteCount},
        {"vbri-cut", DataFile("vbri-cut.mp3"), 0.4441, false, Method::FrameWalk},
        // Made from the files above: the VBR file cut short, the CBR file with an APEv2 tag
        // before its ID3v1 record.
        {"vbr-xing-gapless cut", vbr.substr(0, 100000), 5.1733, true, Method::FrameWalk},
        {"cbr-stereo-id3v1 + APEv2",
         cbr.substr(0, cbr.size() - 128) + ApeTag() + cbr.substr(cbr.size() - 128), 5.4857, true,
         Method::ByteCount},
    };
    test::TempDir dir;
    std::vector<double> accepted;
    for (const RealCase& c : cases) {
        ASSERT_GT(c.bytes.size(), 0u) << c.name;
        const MpegLength length = Measure(c.bytes);
        EXPECT_EQ(length.method, c.method) << c.name;
        EXPECT_NEAR(length.seconds, c.decoded, 0.1) << c.name;
        const float duration = Duration(c.bytes);
        EXPECT_EQ(duration >= MinStreamSeconds, c.accepted) << c.name;
        if (c.accepted) {
            EXPECT_NEAR(duration, c.decoded, 0.1) << c.name;
            dir.Write(std::to_string(10 + accepted.size()) + ".mp3", c.bytes);
            accepted.push_back(c.decoded);
        }
    }

    // The folder scan places each track after the decoded lengths of those before it.
    test::Fixture f;
    ASSERT_TRUE(RunFolderScan(f.session, dir.path().string() + "/", "*.mp3"));
    ASSERT_EQ(f.doc.trackCount, static_cast<int>(accepted.size()));
    double running = 2.0;
    for (std::size_t i = 0; i < accepted.size(); ++i) {
        EXPECT_NEAR(f.doc.tracks[i].start / 75.0, running, 0.1 + 0.02 * i) << i;
        running += accepted[i];
    }
}

// Frames of one bitrate (index into the MPEG 1 layer III table) at 44100 Hz.
std::string Frames(int count, int bitrateIndex, bool mono = false) {
    static constexpr int Kbps[] = {0,   32,  40,  48,  56,  64,  80, 96,
                                   112, 128, 160, 192, 224, 256, 320};
    const int size = FrameSize(1, 3, Kbps[bitrateIndex], 44100);
    const std::string frame =
        FrameHeader(1, 3, bitrateIndex, 0, mono) + std::string(size - 4, '\x55');
    std::string out;
    for (int i = 0; i < count; ++i) {
        out += frame;
    }
    return out;
}

std::string Big32(std::uint32_t v) {
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
            static_cast<char>(v)};
}

// A stream that starts with a header frame: `tag` at `offset` with a frame count, a byte count
// when one is given, and an encoder extension with delay and padding when `delay` >= 0.
std::string WithHeader(std::string frames, bool mono, const std::string& tag, std::size_t offset,
                       std::uint32_t count, std::uint32_t bytes = 0, int delay = -1,
                       int padding = 0) {
    std::string first = Frames(1, 9, mono);
    std::string h;
    if (tag == "VBRI") {
        h = "VBRI" + std::string("\0\1\0\0\0\0", 6) + Big32(bytes) + Big32(count);
    } else {
        h = tag + Big32(bytes ? 0x0F : 0x0D) + Big32(count) + (bytes ? Big32(bytes) : "") +
            std::string(100 + 4, '\0');
        if (delay >= 0) {
            h += "LAME3.100" + std::string(12, '\0');
            h += static_cast<char>(delay >> 4);
            h += static_cast<char>(((delay & 0xF) << 4) | (padding >> 8));
            h += static_cast<char>(padding & 0xFF);
        }
    }
    first.replace(offset, h.size(), h);
    return first + frames;
}

TEST(Mp3Length, MadeUpStreams) {
    const double frame = 1152.0 / 44100;
    struct Case {
        const char* what;
        std::string bytes;
        Method method;
        double seconds;
    };
    const std::string lyrics = "LYRICSBEGININD0000210000021LYRICS200";
    const std::vector<Case> cases = {
        {"one bitrate, tags at the end",
         Frames(400, 9) + ApeTag() + lyrics + Id3v1("a", "b", "", ""), Method::ByteCount,
         400 * 417 * 8 / 128000.0},
        {"bitrate changes after the start", Frames(200, 9) + Frames(200, 14), Method::FrameWalk,
         400 * frame},
        {"bitrate changes near the end", Frames(390, 9) + Frames(10, 14), Method::FrameWalk,
         400 * frame},
        {"other bytes after the frames", Frames(400, 9) + std::string(30000, '\x11'),
         Method::FrameWalk, 400 * frame},
        {"zeros after the frames", Frames(400, 9) + std::string(100000, '\0'), Method::ByteCount,
         400 * frame},
        {"Xing of a mono frame, delay and padding",
         WithHeader(Frames(400, 9, true), true, "Xing", 21, 400, 0, 576, 1000), Method::VbrHeader,
         (400 * 1152 - 1576) / 44100.0},
        {"Info behind a checksum",
         [] {
             std::string s = WithHeader(Frames(400, 9), false, "Info", 38, 400);
             s[1] = static_cast<char>(s[1] & ~1);
             return s;
         }(),
         Method::VbrHeader, 400 * frame},
        {"VBRI", WithHeader(Frames(400, 9), false, "VBRI", 36, 400, 400 * 417), Method::VbrHeader,
         400 * frame},
        {"a count the bytes cannot hold",
         WithHeader(Frames(400, 9), false, "Xing", 36, 4000, 4000 * 417), Method::FrameWalk,
         400 * frame},
    };
    for (const Case& c : cases) {
        const MpegLength length = Measure(c.bytes);
        EXPECT_EQ(length.method, c.method) << c.what;
        EXPECT_NEAR(length.seconds, c.seconds, 0.03) << c.what;
    }
}

}  // namespace
}  // namespace tracklore
