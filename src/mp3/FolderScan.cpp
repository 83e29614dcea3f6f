#include "mp3/FolderScan.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>

#include "model/Text.h"
#include "model/Time.h"
#include "mp3/Id3.h"
#include "mp3/ImportHelpers.h"
#include "mp3/Mp3Scan.h"
#include "mp3/Mpeg.h"
#include "resources/Strings.h"

namespace tracklore {

namespace {

// The upper-case letter of a code point, for the Latin letters of Western and Central
// European names.
char32_t UpperCase(char32_t c) {
    if (c >= U'a' && c <= U'z') {
        return c - 32;
    }
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) {
        return c - 32;
    }
    if (c == 0xFF) {
        return 0x178;
    }
    // Latin Extended-A: upper and lower case side by side.
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) {
        return c & ~char32_t{1};
    }
    if (((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) && c % 2 == 0) {
        return c - 1;
    }
    return c;
}

// A file name (UTF-8) as upper-case code points. A byte that is not part of valid UTF-8
// stands for itself, above every character, so it compares consistently.
std::u32string FoldedName(std::string_view name) {
    std::u32string out;
    out.reserve(name.size());
    std::size_t i = 0;
    while (i < name.size()) {
        unsigned char lead = static_cast<unsigned char>(name[i]);
        int extra = lead < 0x80         ? 0
                    : (lead >> 5) == 6  ? 1
                    : (lead >> 4) == 14 ? 2
                    : (lead >> 3) == 30 ? 3
                                        : -1;
        char32_t c = extra == 0   ? lead
                     : extra == 1 ? (lead & 0x1F)
                     : extra == 2 ? (lead & 0x0F)
                                  : (lead & 0x07);
        bool valid = extra >= 0 && i + static_cast<std::size_t>(extra) < name.size();
        for (int k = 1; valid && k <= extra; ++k) {
            unsigned char next = static_cast<unsigned char>(name[i + static_cast<std::size_t>(k)]);
            if ((next & 0xC0) != 0x80) {
                valid = false;
            } else {
                c = (c << 6) | (next & 0x3F);
            }
        }
        if (!valid) {
            out += static_cast<char32_t>(0x110000 + lead);
            ++i;
            continue;
        }
        out += UpperCase(c);
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

bool WildcardMatch(const std::u32string& name, const std::u32string& mask) {
    std::size_t n = 0;
    std::size_t m = 0;
    std::size_t star = std::u32string::npos;
    std::size_t resume = 0;
    while (n < name.size()) {
        if (m < mask.size() && (mask[m] == U'?' || mask[m] == name[n])) {
            ++n;
            ++m;
        } else if (m < mask.size() && mask[m] == U'*') {
            star = m++;
            resume = n;
        } else if (star != std::u32string::npos) {
            m = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == U'*') {
        ++m;
    }
    return m == mask.size();
}

// The last component of a folder path, its trailing separator removed; empty without one.
std::string LastFolderName(std::string_view folder) {
    if (!folder.empty() && (folder.back() == '/' || folder.back() == '\\')) {
        folder.remove_suffix(1);
    }
    std::size_t separator = folder.find_last_of("/\\");
    if (separator == std::string_view::npos) {
        return {};
    }
    return std::string(folder.substr(separator + 1));
}

}  // namespace

bool MatchesFileMask(std::string_view name, std::string_view mask) {
    std::u32string foldedName = FoldedName(name);
    std::u32string foldedMask = FoldedName(mask);
    if (WildcardMatch(foldedName, foldedMask)) {
        return true;
    }
    // "name.*" also finds "name", as users of the wildcard are used to.
    if (foldedMask.size() >= 2 && foldedMask.compare(foldedMask.size() - 2, 2, U".*") == 0) {
        foldedMask.resize(foldedMask.size() - 2);
        return WildcardMatch(foldedName, foldedMask);
    }
    return false;
}

bool FileNameLess(std::string_view a, std::string_view b) {
    std::u32string foldedA = FoldedName(a);
    std::u32string foldedB = FoldedName(b);
    if (foldedA != foldedB) {
        return foldedA < foldedB;
    }
    return a < b;
}

std::vector<std::string> ListMatchingFiles(const std::string& folder, const std::string& mask) {
    namespace fs = std::filesystem;
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (!MatchesFileMask(name, mask)) {
            continue;
        }
        std::error_code typeError;
        if (!it->is_regular_file(typeError)) {
            continue;
        }
        names.push_back(std::move(name));
    }
    // Sort keys are computed once per name.
    std::vector<std::pair<std::u32string, std::string>> keyed;
    keyed.reserve(names.size());
    for (auto& name : names) {
        keyed.emplace_back(FoldedName(name), std::move(name));
    }
    std::sort(keyed.begin(), keyed.end());
    names.clear();
    for (auto& entry : keyed) {
        names.push_back(std::move(entry.second));
    }
    return names;
}

namespace {

// The ID3v2 tag is read up to this many bytes: the texts stand in its first frames, pictures
// and other large frames after them are not needed.
constexpr std::uint64_t MaxTagBytes = 1 << 20;

// The texts of the ID3v2 tag at the start of the file, as far as they fit in MaxTagBytes.
Id3v2Texts ReadTagTexts(ByteSource& file, std::uint64_t fileSize) {
    unsigned char header[10] = {};
    file.SeekTo(0);
    if (file.Read(header, sizeof header) != sizeof header || std::memcmp(header, "ID3", 3) != 0) {
        return {};
    }
    const auto length = std::min<std::uint64_t>(
        {static_cast<std::uint64_t>(Id3v2TagLength(header)), fileSize, MaxTagBytes});
    std::string tag(static_cast<std::size_t>(length), '\0');
    file.SeekTo(0);
    tag.resize(file.Read(tag.data(), tag.size()));
    return ReadId3v2Texts(tag);
}

// The texts a file's tags give its track: each from the ID3v2 tag when it has it there, else
// from the ID3v1 record. Nothing when the file has neither.
std::optional<Id3v2Texts> ReadFileTexts(ByteSource& file, std::uint64_t size,
                                        const TextEncoding& codePage) {
    Id3v2Texts texts = ReadTagTexts(file, size);
    const bool fromId3v2 = !texts.Empty();
    std::array<unsigned char, Id3v1Size> record{};
    bool hasId3v1 = false;
    if (size >= Id3v1Size) {
        file.SeekTo(size - Id3v1Size);
        hasId3v1 = file.Read(record.data(), record.size()) == record.size() &&
                   std::memcmp(record.data(), "TAG", 3) == 0;
    }
    if (!fromId3v2 && !hasId3v1) {
        return std::nullopt;
    }
    if (hasId3v1) {
        auto fill = [](std::string& field, std::string text) {
            if (field.empty()) {
                field = std::move(text);
            }
        };
        fill(texts.title, Id3v1Title(record.data(), codePage));
        fill(texts.artist, Id3v1Artist(record.data(), codePage));
        fill(texts.album, Id3v1Album(record.data(), codePage));
        fill(texts.year, Id3v1Year(record.data(), codePage));
        fill(texts.genre, Id3v1Genre(record.data()));
    }
    return texts;
}

}  // namespace

FolderScanResult ScanFolderFiles(const std::string& folder, const std::string& mask,
                                 const StringTable& strings, const JobContext& job,
                                 std::string_view legacyCodePage) {
    FolderScanResult result;
    TrackList& doc = result.list;
    const TextEncoding codePage = LegacyEncoding(legacyCodePage);
    std::int32_t running = LeadInFrames;
    const std::vector<std::string> names = ListMatchingFiles(folder, mask);
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (job.Cancelled()) {
            result.cancelled = true;
            return result;
        }
        job.Report({static_cast<int>(100 * i / names.size())});
        const std::string& name = names[i];
        std::unique_ptr<ByteSource> file = OpenFileForScan(folder + name);
        if (!file) {
            continue;  // vanished or unreadable
        }
        const std::uint64_t size = file->Size();
        float seconds = MpegDuration(*file, static_cast<std::int64_t>(size));
        if (!(seconds >= MinStreamSeconds)) {
            continue;
        }
        const std::optional<Id3v2Texts> texts = ReadFileTexts(*file, size, codePage);
        file.reset();

        result.usable = true;
        std::string title;
        std::string performer;
        if (texts) {
            title = texts->title;
            performer = texts->artist;
            if (doc.trackCount == 0) {
                doc.cd.title = texts->album;
                doc.cd.year = texts->year;
                doc.cd.genre = texts->genre;
            }
        } else {
            title = NameText(name);
            performer = std::string(strings.Text(str::UnnamedArtist));
        }
        if (doc.trackCount >= MaxTracks) {
            result.limitMessage = str::TrackLimitReached;
            break;
        }
        std::int64_t end = static_cast<std::int64_t>(SecondsToFrames(seconds)) + running;
        if (end >= MaxPositionFrames) {
            result.limitMessage = str::TimeLimitReached;
            break;
        }
        Track& track = doc.tracks[doc.trackCount++];
        track.start = running;
        track.title = title;
        track.performer = performer;
        running = static_cast<std::int32_t>(end);
    }
    job.Report({100});
    if (!result.usable) {
        return result;
    }
    result.running = running;
    doc.cd.totalSeconds = ClampToInt32(running / 75.0 + 0.5);
    doc.cd.discId = ComputeDiscId(doc);
    if (doc.cd.title.empty()) {
        doc.cd.title = Trim(NameText(LastFolderName(folder)));
    }
    if (doc.trackCount == 1) {
        doc.cd.artist = doc.tracks[0].performer.str();
    } else if (doc.trackCount > 1) {
        doc.cd.artist = doc.tracks[0].performer.str() != doc.tracks[1].performer.str()
                            ? std::string("Various")
                            : doc.tracks[0].performer.str();
    }
    return result;
}

}  // namespace tracklore
