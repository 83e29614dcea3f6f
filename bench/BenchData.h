#pragma once

#include <stdlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace tracklore::bench {

// A new private folder `prefix`-XXXXXX under `base` (the system's temporary folder when
// empty); empty with a message on failure.
inline std::string MakeBenchDir(const std::string& prefix, const std::string& base = "") {
    const std::filesystem::path parent =
        base.empty() ? std::filesystem::temp_directory_path() : std::filesystem::path(base);
    const std::string pattern = (parent / (prefix + "-XXXXXX")).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!mkdtemp(name.data())) {
        std::perror("mkdtemp");
        return {};
    }
    return name.data();
}

// Deterministic bytes that look like compressed audio to a byte search: every value about
// equally often, so "TAG" turns up by chance as in real files.
class NoiseBytes {
  public:
    explicit NoiseBytes(std::uint64_t seed = 0x9E3779B97F4A7C15ULL) : state_(seed) {}
    void Fill(unsigned char* out, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            state_ ^= state_ << 13;
            state_ ^= state_ >> 7;
            state_ ^= state_ << 17;
            out[i] = static_cast<unsigned char>(state_ >> 24);
        }
    }

  private:
    std::uint64_t state_;
};

// A 128 kbit/s MPEG 1 layer III frame header (no padding, 44100 Hz).
inline std::string FrameHeader128() {
    return std::string("\xFF\xFB\x90\x00", 4);
}
constexpr std::size_t FrameBytes128 = 417;

// A track of `bytes` bytes: frames of noise, closed by a valid ID3v1 record.
inline std::string NoiseTrack(std::size_t bytes, int number, NoiseBytes& noise) {
    std::string track(bytes, '\0');
    auto* data = reinterpret_cast<unsigned char*>(track.data());
    noise.Fill(data, bytes);
    for (std::size_t at = 0; at + 4 <= bytes - 128; at += FrameBytes128) {
        track.replace(at, 4, FrameHeader128());
    }
    std::string tag = "TAG";
    auto field = [](const std::string& text, std::size_t width) {
        std::string f = text.substr(0, width);
        f.resize(width, '\0');
        return f;
    };
    tag += field("Track " + std::to_string(number), 30) + field("Artist", 30) +
           field("Band - Album", 30) + field("2004", 4) + std::string(30, '\0');
    tag += static_cast<char>(17);
    track.replace(bytes - 128, 128, tag);
    return track;
}

// A joined album of `bytes` bytes: noise tracks of `trackBytes` bytes (the last one
// shorter), each closed by its ID3v1 record.
inline void WriteNoiseAlbum(const std::string& path, std::uint64_t bytes,
                            std::size_t trackBytes = 12u << 20) {
    NoiseBytes noise;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::uint64_t written = 0;
    for (int number = 1; written < bytes; ++number) {
        std::size_t size =
            static_cast<std::size_t>(std::min<std::uint64_t>(trackBytes, bytes - written));
        if (size < 65536) {
            break;
        }
        out << NoiseTrack(size, number, noise);
        written += size;
    }
}

}  // namespace tracklore::bench
