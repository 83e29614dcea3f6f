#include "support/TestSupport.h"

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace tracklore::test {

TempDir::TempDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "tracklore-test-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!mkdtemp(buffer.data())) {
        throw std::runtime_error("mkdtemp failed");
    }
    path_ = buffer.data();
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
}

std::string TempDir::Write(const std::string& name, const std::string& bytes) const {
    std::string path = file(name);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    return path;
}

std::string RunUnprivileged(const std::function<std::string()>& body) {
    int channel[2];
    if (::pipe(channel) != 0) {
        return "pipe failed";
    }
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(channel[0]);
        ::close(channel[1]);
        return "fork failed";
    }
    if (pid == 0) {
        ::close(channel[0]);
        std::string report;
        if (::geteuid() == 0) {
            constexpr uid_t Nobody = 65534;
            if (::setgroups(0, nullptr) != 0 || ::setresgid(Nobody, Nobody, Nobody) != 0 ||
                ::setresuid(Nobody, Nobody, Nobody) != 0) {
                report = "cannot drop to user 65534";
            }
        }
        if (report.empty()) {
            report = body();
        }
        if (report.empty()) {
            report = "ok";
        }
        ssize_t ignored = ::write(channel[1], report.data(), report.size());
        (void)ignored;
        ::_exit(0);
    }
    ::close(channel[1]);
    std::string report;
    char buffer[512];
    ssize_t n;
    while ((n = ::read(channel[0], buffer, sizeof buffer)) > 0) {
        report.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(channel[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (report.empty()) {
        return "the child ended without a report";
    }
    return report == "ok" ? std::string() : report;
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

namespace mp3 {

namespace {
int BitrateOf(int version, int layer, int index) {
    static const int v1[3][16] = {
        {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, -1},
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, -1},
        {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, -1}};
    static const int v2l1[16] = {0,   32,  48,  56,  64,  80,  96,  112,
                                 128, 144, 160, 176, 192, 224, 256, -1};
    static const int v2l23[16] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, -1};
    if (version == 1) {
        return v1[layer - 1][index];
    }
    return layer == 1 ? v2l1[index] : v2l23[index];
}
int SampleRateOf(int version, int index) {
    static const int rates[3][3] = {
        {44100, 48000, 32000}, {22050, 24000, 16000}, {11025, 12000, 8000}};
    return rates[version == 1 ? 0 : (version == 2 ? 1 : 2)][index];
}
}  // namespace

std::string FrameHeader(int version, int layer, int bitrateIndex, int sampleRateIndex, bool mono) {
    int versionBits = version == 1 ? 3 : (version == 2 ? 2 : 0);
    int layerBits = 4 - layer;  // layer 1 -> 3, 2 -> 2, 3 -> 1
    std::string h(4, '\0');
    h[0] = static_cast<char>(0xFF);
    h[1] = static_cast<char>(0xE0 | (versionBits << 3) | (layerBits << 1) | 1);  // no CRC
    h[2] = static_cast<char>((bitrateIndex << 4) | (sampleRateIndex << 2));
    h[3] = static_cast<char>(mono ? 0xC0 : 0x00);
    return h;
}

int FrameSize(int version, int layer, int bitrateKbps, int sampleRate) {
    if (layer == 1) {
        return (12 * bitrateKbps * 1000 / sampleRate) * 4;
    }
    int factor = (layer == 3 && version != 1) ? 72 : 144;
    return factor * bitrateKbps * 1000 / sampleRate;
}

std::string CbrStream(std::size_t bytes, int bitrateIndex) {
    std::string header = FrameHeader(1, 3, bitrateIndex, 0);
    int size = FrameSize(1, 3, BitrateOf(1, 3, bitrateIndex), SampleRateOf(1, 0));
    std::string frame = header + std::string(static_cast<std::size_t>(size) - 4, '\x55');
    std::string out;
    out.reserve(bytes + frame.size());
    while (out.size() < bytes) {
        out += frame;
    }
    out.resize(bytes);
    return out;
}

std::string XingStream(std::size_t bytes, std::uint32_t frames) {
    std::string out = CbrStream(bytes);
    // The Xing header of a two-channel MPEG 1 layer III frame sits after 32 bytes of side
    // information: "Xing", flags (frames field present), frame count.
    std::string xing = "Xing";
    xing += std::string("\x00\x00\x00\x01", 4);
    xing += static_cast<char>(frames >> 24);
    xing += static_cast<char>(frames >> 16);
    xing += static_cast<char>(frames >> 8);
    xing += static_cast<char>(frames);
    out.replace(36, xing.size(), xing);
    return out;
}

std::string Id3v2Header(std::uint32_t bodySize, std::uint8_t flags, std::uint8_t major) {
    std::string h = "ID3";
    h += static_cast<char>(major);
    h += '\0';
    h += static_cast<char>(flags);
    h += static_cast<char>((bodySize >> 21) & 0x7F);
    h += static_cast<char>((bodySize >> 14) & 0x7F);
    h += static_cast<char>((bodySize >> 7) & 0x7F);
    h += static_cast<char>(bodySize & 0x7F);
    return h;
}

std::string Id3v1(const std::string& title, const std::string& artist, const std::string& album,
                  const std::string& year, std::uint8_t genre) {
    auto field = [](const std::string& text, std::size_t width) {
        std::string f = text.substr(0, width);
        f.resize(width, '\0');
        return f;
    };
    std::string tag = "TAG" + field(title, 30) + field(artist, 30) + field(album, 30) +
                      field(year, 4) + std::string(30, '\0');
    tag += static_cast<char>(genre);
    return tag;
}

}  // namespace mp3
}  // namespace tracklore::test
