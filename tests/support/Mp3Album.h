#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "mp3/ByteSource.h"
#include "mp3/Mp3Scan.h"
#include "support/TestSupport.h"

namespace tracklore::test {

// Builders of whole MP3 album files for the import tests.
namespace mp3 {

// An album-wrapper header of `size` bytes: album and artist frames, the track count text at
// offset 1325 and the slot texts from offset 1335 (501 bytes each).
std::string AlbumWrapHeader(const std::string& album, const std::string& artist,
                            const std::string& countText, const std::vector<std::string>& slots,
                            std::size_t size = 65536);

// An ID3v2.3 tag whose body holds a cue sheet between the markers a cue tag writer uses,
// with the writer's name when one is given.
std::string CueTag(const std::string& cueText, const std::optional<std::string>& writer);

// A track of `seconds` playing time at 128 kbit/s (16000 bytes a second) closed by an
// ID3v1 record.
std::string TaggedTrack(double seconds, const std::string& title, const std::string& artist,
                        const std::string& album = "", const std::string& year = "",
                        std::uint8_t genre = 255);

// 16-bit stereo PCM at 44100 Hz in a WAV file: a tone of the given frequency.
std::string WavTone(double seconds, double frequency);

// Encodes a tone with the lame encoder into `path` with the extra arguments; false when
// lame is not installed or failed.
bool EncodeWithLame(const std::string& path, double seconds, double frequency,
                    const std::vector<std::string>& arguments);

}  // namespace mp3

// A byte source that fails: reads of `failingReads` (0-based read numbers) fail after
// giving `partialBytes` bytes, with errno `error`. The bytes are those of `data`; Size()
// may claim more than there is.
class FailingSource : public ByteSource {
  public:
    FailingSource(std::string data, std::vector<int> failingReads, int error = 5,
                  std::size_t partialBytes = 0, std::optional<std::uint64_t> claimedSize = {});
    std::size_t Read(void* destination, std::size_t count) override;
    std::uint64_t Position() const override { return position_; }
    void SeekTo(std::uint64_t position) override { position_ = position; }
    std::uint64_t Size() const override { return claimedSize_; }
    bool Failed() const override { return failed_; }
    int LastError() const override { return failed_ ? error_ : 0; }
    int reads = 0;

  private:
    std::string data_;
    std::vector<int> failingReads_;
    int error_;
    std::size_t partialBytes_;
    std::uint64_t claimedSize_;
    std::uint64_t position_ = 0;
    bool failed_ = false;
};

// One MP3 scan over bytes in memory, with the document, platform and progress recorded.
struct ScanRun {
    Fixture f;
    Mp3ScanJob job;
    std::vector<int> progress;
    int opens = 0;
    bool failReopen = false;              // the second open (to build the tracks) fails
    std::function<void(int)> onProgress;  // called after each recorded percentage
    std::function<std::unique_ptr<ByteSource>(const std::string&)> source;  // replaces data

    ScanRun() { job.path = "/musik/Album.mp3"; }
    void Run(std::string bytes);

  private:
    std::string data_;
};

}  // namespace tracklore::test
