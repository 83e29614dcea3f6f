#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "flows/Session.h"
#include "model/TrackList.h"
#include "settings/Settings.h"
#include "support/ScriptedPlatform.h"

namespace tracklore {
// The texts the tests expect: the German table.
inline const StringTable& German() {
    return StringTable::German();
}
// Tests name string-table texts by their numbers, as messages record them.
inline std::string_view String(int number) {
    return StringTable::German().Text(IdOfNumber(number));
}
inline std::string_view String(StringId id) {
    return StringTable::German().Text(id);
}
inline std::string FormatString(int number, std::initializer_list<FormatArg> args) {
    return StringTable::German().Format(IdOfNumber(number), args);
}
}  // namespace tracklore

namespace tracklore::test {

// A document, default settings and a scripted platform, wired into a session.
struct Fixture {
    Fixture() { ApplyDefaultSettings(settings); }
    TrackList doc;
    Settings settings;
    ScriptedPlatform ui;
    Session session{doc, settings, ui};
};

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    // Writes bytes to a file in the folder and returns its path.
    std::string Write(const std::string& name, const std::string& bytes) const;

  private:
    std::filesystem::path path_;
};

std::string ReadFileBytes(const std::string& path);

// A text repeated `count` times.
inline std::string Repeat(std::string_view text, std::size_t count) {
    std::string out;
    for (std::size_t i = 0; i < count; ++i) {
        out += text;
    }
    return out;
}

// Runs `body` in a child process as a user without special rights: as the process itself when
// it is not root, else as user and group 65534 (root may write anything, so permission checks
// need somebody else). `body` returns an empty text on success, else what went wrong, which
// this function returns (also when the child could not drop its rights or did not finish).
// Folders the child must enter need rights for "others".
std::string RunUnprivileged(const std::function<std::string()>& body);

// Builders of MP3 stream bytes.
namespace mp3 {
// A 4-byte MPEG frame header. version: 1, 2 or 25; layer 1..3; indexes as in the header.
std::string FrameHeader(int version, int layer, int bitrateIndex, int sampleRateIndex,
                        bool mono = false);
// The size in bytes of one frame (no padding) for the header's values.
int FrameSize(int version, int layer, int bitrateKbps, int sampleRate);
// A constant-bitrate MPEG 1 layer III stream of `bytes` bytes made of whole frames
// (the last one cut), at the given bitrate index (9 = 128 kbit/s) and 44100 Hz.
std::string CbrStream(std::size_t bytes, int bitrateIndex = 9);
// An MPEG 1 layer III stream whose first frame carries a Xing header with `frames`.
std::string XingStream(std::size_t bytes, std::uint32_t frames);
// An ID3v2 header for a body of `bodySize` bytes (syncsafe), flags as given.
std::string Id3v2Header(std::uint32_t bodySize, std::uint8_t flags = 0, std::uint8_t major = 3);
// A 128-byte ID3v1 record.
std::string Id3v1(const std::string& title, const std::string& artist, const std::string& album,
                  const std::string& year, std::uint8_t genre = 255);
}  // namespace mp3

}  // namespace tracklore::test
