#include <gtest/gtest.h>

#include "mp3/Mpeg.h"
#include "support/TestSupport.h"

namespace tracklore {
namespace {

using namespace test::mp3;

MpegStreamInfo Probe(const std::string& bytes) {
    MemorySource source(bytes);
    return ProbeMpegStream(source, static_cast<std::int64_t>(bytes.size()));
}

TEST(Mpeg, ConstantBitrateDurationCountsEveryByteAfterTheTag) {
    std::string stream = Id3v2Header(1000) + std::string(1000, '\0') + CbrStream(1600000);
    MpegStreamInfo info = Probe(stream);
    ASSERT_TRUE(info.isMpeg);
    EXPECT_EQ(info.version, 1);
    EXPECT_EQ(info.layer, 3);
    EXPECT_EQ(info.sampleRate, 44100);
    EXPECT_EQ(info.bitrate, 128);
    EXPECT_TRUE(info.hasId3v2);
    EXPECT_EQ(info.id3v2Size, 1010);
    EXPECT_EQ(info.firstFrameOffset, 0);
    EXPECT_FLOAT_EQ(info.durationSeconds, 100.0f);
}

TEST(Mpeg, SixteenKilobyteMinimum) {
    // 32 kbit/s: 16383 bytes would play 4.1 s but are too few.
    EXPECT_FALSE(Probe(CbrStream(16383, 1)).isMpeg);
    MpegStreamInfo info = Probe(CbrStream(16384, 1));
    ASSERT_TRUE(info.isMpeg);
    EXPECT_FLOAT_EQ(info.durationSeconds, 4.096f);
}

TEST(Mpeg, TwoSecondMinimum) {
    // 160 kbit/s (index 10)
    EXPECT_FALSE(Probe(CbrStream(39000, 10)).isMpeg);
    MpegStreamInfo info = Probe(CbrStream(40000, 10));
    ASSERT_TRUE(info.isMpeg);
    EXPECT_FLOAT_EQ(info.durationSeconds, 2.0f);
    std::string tooShort = CbrStream(39000, 10);
    MemorySource short1(tooShort);
    EXPECT_EQ(MpegDuration(short1, 39000), -1.0f);
}

TEST(Mpeg, XingFrameCountWhereTheBytesCanHoldIt) {
    // 10000 frames in 3 MB: believed, with the average bitrate over the bytes.
    MpegStreamInfo info = Probe(XingStream(3000000, 10000));
    ASSERT_TRUE(info.isMpeg);
    EXPECT_TRUE(info.isVbr);
    EXPECT_EQ(info.xingFrames, 10000u);
    EXPECT_EQ(info.lengthMethod, MpegLengthMethod::VbrHeader);
    EXPECT_EQ(info.bitrate, 91);
    EXPECT_NEAR(info.durationSeconds, 10000 * 1152 / 44100.0, 0.001);

    // 1000 frames cannot fill 3 MB, and no count is no count: the 7194 frames there count.
    for (std::uint32_t frames : {1000u, 0u}) {
        MpegStreamInfo walked = Probe(XingStream(3000000, frames));
        ASSERT_TRUE(walked.isMpeg);
        EXPECT_EQ(walked.lengthMethod, MpegLengthMethod::FrameWalk);
        EXPECT_NEAR(walked.durationSeconds, 7194 * 1152 / 44100.0, 0.001);
    }
}

TEST(Mpeg, XingAfterTheSideInformationOfEachMode) {
    // After 17 bytes of side information in a mono MPEG 1 frame and in a two-channel MPEG 2 one.
    std::string xing = std::string("Xing\0\0\0\1\0\0\x03\xE8", 12);  // 1000 frames
    std::string mono = CbrStream(3000000);
    mono.replace(0, 4, FrameHeader(1, 3, 9, 0, true));
    mono.replace(4 + 17, 12, xing);
    MpegStreamInfo a = Probe(mono);
    ASSERT_TRUE(a.isMpeg);
    EXPECT_TRUE(a.isVbr);
    EXPECT_EQ(a.xingFrames, 1000u);

    std::string mpeg2 = FrameHeader(2, 3, 8, 0) + std::string(200000, '\0');
    mpeg2.replace(4 + 17, 12, xing);
    MpegStreamInfo b = Probe(mpeg2);
    ASSERT_TRUE(b.isMpeg);
    EXPECT_TRUE(b.isVbr);
    EXPECT_EQ(b.sampleRate, 22050);
    EXPECT_NEAR(b.durationSeconds, 1000 * 576 / 22050.0, 0.001);
}

TEST(Mpeg, RejectedHeaders) {
    std::string stream(100000, '\0');
    stream.replace(0, 4, FrameHeader(1, 3, 0, 0));  // free format
    EXPECT_FALSE(Probe(stream).isMpeg);
    stream.replace(0, 4, FrameHeader(1, 3, 15, 0));  // bitrate index 15
    EXPECT_FALSE(Probe(stream).isMpeg);
    stream.replace(0, 4, FrameHeader(25, 3, 8, 0));  // MPEG 2.5 without Xing
    EXPECT_FALSE(Probe(stream).isMpeg);
    stream.replace(0, 4, FrameHeader(1, 3, 9, 3));  // sample-rate index 3
    EXPECT_FALSE(Probe(stream).isMpeg);
    std::string reserved = FrameHeader(1, 3, 9, 0);
    reserved[1] = static_cast<char>(0xE8 | (1 << 1));  // version bits 01
    stream.replace(0, 4, reserved);
    EXPECT_FALSE(Probe(stream).isMpeg);
    reserved[1] = static_cast<char>(0xF8);  // layer bits 00
    stream.replace(0, 4, reserved);
    EXPECT_FALSE(Probe(stream).isMpeg);
}

TEST(Mpeg, Mpeg25WithXingIsMeasured) {
    std::string stream = CbrStream(100000);
    stream.replace(0, 4, FrameHeader(25, 3, 8, 0));
    stream.replace(4 + 17, 12, std::string("Xing\0\0\0\1\0\0\x01\x00", 12));  // 256 frames
    MpegStreamInfo info = Probe(stream);
    EXPECT_EQ(info.version, 25);
    EXPECT_EQ(info.sampleRate, 11025);
    EXPECT_TRUE(info.isMpeg);
}

TEST(Mpeg, SyncSearchWindow) {
    std::string header = FrameHeader(1, 3, 9, 0);
    std::string accepted(65534, '\0');
    accepted += CbrStream(100000);
    EXPECT_TRUE(Probe(accepted).isMpeg);
    EXPECT_EQ(Probe(accepted).firstFrameOffset, 65534);
    std::string refused(65535, '\0');
    refused += CbrStream(100000);
    EXPECT_FALSE(Probe(refused).isMpeg);
    EXPECT_EQ(Probe(refused).firstFrameOffset, -1);
}

TEST(Mpeg, FalseSyncIsExaminedAgainAsFirstByte) {
    // 0xFF 0x12 is no sync; the search goes on with the 0x12.
    std::string stream = "\xFF\x12" + CbrStream(100000);
    MpegStreamInfo info = Probe(stream);
    ASSERT_TRUE(info.isMpeg);
    EXPECT_EQ(info.firstFrameOffset, 2);
    // 0xFF 0xFF is a sync pair already, even when its header turns out unusable.
    MpegStreamInfo ff = Probe("\xFF" + CbrStream(100000));
    EXPECT_EQ(ff.firstFrameOffset, 0);
    EXPECT_FALSE(ff.isMpeg);
}

TEST(Mpeg, FooterAndExtendedHeaderFlags) {
    std::string body(500, '\0');
    std::string withFooter =
        Id3v2Header(500, 0x10) + body + std::string(10, '\0') + CbrStream(100000);
    MpegStreamInfo a = Probe(withFooter);
    ASSERT_TRUE(a.isMpeg);
    EXPECT_EQ(a.id3v2Size, 520);
    EXPECT_EQ(a.firstFrameOffset, 0);
    std::string extended = Id3v2Header(500, 0x40) + body + CbrStream(100000);
    MpegStreamInfo b = Probe(extended);
    ASSERT_TRUE(b.isMpeg);
    EXPECT_EQ(b.id3v2Size, 510);
}

TEST(Mpeg, InvalidTagHeaderIsSearchedFromByteZero) {
    std::string stream = Id3v2Header(500);
    stream[7] = static_cast<char>(0x80);
    stream += std::string(500, '\0') + CbrStream(100000);
    MpegStreamInfo info = Probe(stream);
    EXPECT_FALSE(info.hasId3v2);
    EXPECT_EQ(info.id3v2Size, 0);
    ASSERT_TRUE(info.isMpeg);
    EXPECT_EQ(info.firstFrameOffset, 510);
}

TEST(Mpeg, StreamSmallerThanItsTagAndTinyInputs) {
    std::string stream = Id3v2Header(100000) + CbrStream(50000);
    MemorySource source(stream);
    EXPECT_FALSE(ProbeMpegStream(source, 1000).isMpeg);
    EXPECT_FALSE(Probe("").isMpeg);
    EXPECT_FALSE(Probe("\xFF").isMpeg);
    EXPECT_FALSE(Probe("ID3").isMpeg);
}

TEST(Mpeg, ProbeStartsAtTheSourcePosition) {
    std::string prefix(1000, 'x');
    std::string stream = prefix + CbrStream(160000);
    MemorySource source(stream);
    source.SeekTo(1000);
    EXPECT_FLOAT_EQ(MpegDuration(source, 160000), 10.0f);
}

TEST(FileSource, RefusesFoldersAndMissingFiles) {
    test::TempDir dir;
    EXPECT_EQ(FileSource::Open(dir.path().string()), nullptr);
    EXPECT_EQ(FileSource::Open(dir.file("missing.mp3")), nullptr);
    auto file = FileSource::Open(dir.Write("a.mp3", CbrStream(160000)));
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->Size(), 160000u);
    EXPECT_FLOAT_EQ(MpegDuration(*file, 160000), 10.0f);
}

}  // namespace
}  // namespace tracklore
