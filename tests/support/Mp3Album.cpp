#include "support/Mp3Album.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>

#include "support/RunCommand.h"
#include "support/TestSupport.h"

namespace tracklore::test {

namespace mp3 {

std::string AlbumWrapHeader(const std::string& album, const std::string& artist,
                            const std::string& countText, const std::vector<std::string>& slots,
                            std::size_t size) {
    std::string h(std::max<std::size_t>(size, 64), '\0');
    std::string start = std::string("ID3\x03\x00\x00\x00\x00\x0A\x23", 10) +
                        std::string("TIT2\x00\x00\x00\x10\x00\x00", 10) +
                        std::string(
                            "\x00"
                            "AlbumWrap Album",
                            16) +
                        std::string("TALB\x00\x00\x00", 7);
    auto frameTail = [](const std::string& text) {
        std::string tail;
        tail += static_cast<char>(13 + text.size());
        tail += std::string(3, '\0');  // flags, encoding
        tail += "AlbumWrap - " + text;
        return tail;
    };
    std::string head =
        start + frameTail(album) + std::string("TPE1\x00\x00\x00", 7) + frameTail(artist);
    h.replace(0, std::min(head.size(), h.size()), head.substr(0, h.size()));
    auto put = [&h](std::size_t offset, const std::string& text) {
        if (offset < h.size()) {
            h.replace(offset, std::min(text.size(), h.size() - offset),
                      text.substr(0, h.size() - offset));
        }
    };
    put(1325, countText);
    for (std::size_t i = 0; i < slots.size(); ++i) {
        put(1335 + i * 501, slots[i].substr(0, 500));
    }
    h.resize(size);
    return h;
}

std::string CueTag(const std::string& cueText, const std::optional<std::string>& writer) {
    std::string body = "GEOB";
    if (writer) {
        body += "CUEVERSION\r\n" + *writer + "ENDCUEVERSION";
    }
    body += "CUESHEET\r\n" + cueText + "ENDCUESHEET";
    body += std::string(64, '\0');
    return Id3v2Header(static_cast<std::uint32_t>(body.size())) + body;
}

std::string TaggedTrack(double seconds, const std::string& title, const std::string& artist,
                        const std::string& album, const std::string& year, std::uint8_t genre) {
    return CbrStream(static_cast<std::size_t>(std::llround(seconds * 16000))) +
           Id3v1(title, artist, album, year, genre);
}

std::string WavTone(double seconds, double frequency) {
    const std::uint32_t rate = 44100;
    const std::uint32_t samples = static_cast<std::uint32_t>(seconds * rate);
    const std::uint32_t dataBytes = samples * 4;
    std::string wav;
    auto u32 = [&wav](std::uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            wav += static_cast<char>((v >> (8 * i)) & 0xFF);
        }
    };
    auto u16 = [&wav](std::uint16_t v) {
        wav += static_cast<char>(v & 0xFF);
        wav += static_cast<char>(v >> 8);
    };
    wav += "RIFF";
    u32(36 + dataBytes);
    wav += "WAVEfmt ";
    u32(16);
    u16(1);  // PCM
    u16(2);
    u32(rate);
    u32(rate * 4);
    u16(4);
    u16(16);
    wav += "data";
    u32(dataBytes);
    const double pi = std::acos(-1.0);
    for (std::uint32_t i = 0; i < samples; ++i) {
        double t = static_cast<double>(i) / rate;
        auto left = static_cast<std::int16_t>(6000 * std::sin(2 * pi * frequency * t));
        auto right = static_cast<std::int16_t>(6000 * std::sin(2 * pi * frequency * 1.5 * t));
        u16(static_cast<std::uint16_t>(left));
        u16(static_cast<std::uint16_t>(right));
    }
    return wav;
}

bool EncodeWithLame(const std::string& path, double seconds, double frequency,
                    const std::vector<std::string>& arguments) {
    if (!HaveProgram("lame")) {
        return false;
    }
    std::string wavPath = path + ".wav";
    {
        std::ofstream out(wavPath, std::ios::binary | std::ios::trunc);
        out << WavTone(seconds, frequency);
    }
    std::vector<std::string> argv = {"lame", "--quiet"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    argv.push_back(wavPath);
    argv.push_back(path);
    CommandResult result = RunCommand(argv);
    std::remove(wavPath.c_str());
    return result.status == 0;
}

}  // namespace mp3

void ScanRun::Run(std::string bytes) {
    data_ = std::move(bytes);
    auto open = [this](const std::string&) -> std::unique_ptr<ByteSource> {
        ++opens;
        if (opens > 1 && failReopen) {
            return nullptr;
        }
        if (source) {
            return source(data_);
        }
        return std::make_unique<MemorySource>(data_);
    };
    auto record = [this](int percent) {
        progress.push_back(percent);
        if (onProgress) {
            onProgress(percent);
        }
    };
    RunMp3ScanWorker(f.session, job, f.ui, record, open);
}

FailingSource::FailingSource(std::string data, std::vector<int> failingReads, int error,
                             std::size_t partialBytes, std::optional<std::uint64_t> claimedSize)
    : data_(std::move(data)),
      failingReads_(std::move(failingReads)),
      error_(error),
      partialBytes_(partialBytes),
      claimedSize_(claimedSize.value_or(data_.size())) {}

std::size_t FailingSource::Read(void* destination, std::size_t count) {
    int number = reads++;
    failed_ = std::find(failingReads_.begin(), failingReads_.end(), number) != failingReads_.end();
    if (failed_) {
        count = std::min(count, partialBytes_);
    }
    if (position_ >= data_.size()) {
        return 0;
    }
    std::size_t n = std::min<std::size_t>(count, data_.size() - position_);
    std::memcpy(destination, data_.data() + position_, n);
    position_ += n;
    return n;
}

}  // namespace tracklore::test
