#include <memory>
#include <string>

#include "FuzzSupport.h"
#include "flows/Mp3ScanFlow.h"
#include "mp3/Mp3Scan.h"

// The whole MP3 scan over a file in memory. The input is repeated up to a length taken from
// its first bytes, so that records straddle chunk boundaries and the carried window is used.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tracklore;
    if (size < 3) {
        return 0;
    }
    const unsigned options = data[0];
    const std::size_t length = (static_cast<std::size_t>(data[1]) << 10) + data[2];  // < 256 KiB
    std::string body(reinterpret_cast<const char*>(data + 3), size - 3);
    std::string file;
    if (!body.empty()) {
        while (file.size() < length) {
            file += body;
        }
        file.resize(length);
    }
    fuzz::Harness h;
    for (int i = 0; i < 4; ++i) {
        h.ui.AnswerNext((options >> (4 + i)) & 1 ? MsgResult::Yes : MsgResult::No);
    }
    Mp3ScanJob job;
    job.path = "/fuzz/album.mp3";
    job.findCueTag = options & 1;
    job.splitAtId3v1 = options & 2;
    job.detectArchives = options & 4;
    int lastPercent = -1;
    RunMp3ScanWorker(
        h.session, job, h.ui,
        [&](int percent) {
            FUZZ_CHECK(percent != lastPercent && percent >= 0 && percent <= 100);
            lastPercent = percent;
        },
        [&](const std::string&) -> std::unique_ptr<ByteSource> {
            return std::make_unique<MemorySource>(file);
        });
    fuzz::CheckTrackList(h.doc);
    FUZZ_CHECK(job.processed <= file.size());
    return 0;
}
