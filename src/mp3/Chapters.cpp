#include "mp3/Chapters.h"

#include <algorithm>
#include <functional>
#include <map>
#include <set>

#include "mp3/Id3.h"
#include "mp3/Mpeg.h"

namespace tracklore {

namespace {

// How much of a tag longer than the scan's first chunk is read for its chapters; pictures in
// front of them rarely make a tag larger.
constexpr std::size_t ChapterTagReadLimit = 16 << 20;
// How deep tables of contents that name further tables are followed.
constexpr int MaxTocDepth = 8;

constexpr std::size_t HeaderSize = 10;
constexpr unsigned char TagUnsynchronised = 0x80;
constexpr unsigned char TagExtendedHeader = 0x40;
constexpr unsigned char V23Compressed = 0x80;
constexpr unsigned char V23Encrypted = 0x40;
constexpr unsigned char V23Grouped = 0x20;
constexpr unsigned char V24Grouped = 0x40;
constexpr unsigned char V24Compressed = 0x08;
constexpr unsigned char V24Encrypted = 0x04;
constexpr unsigned char V24Unsynchronised = 0x02;
constexpr unsigned char V24DataLength = 0x01;

std::uint32_t BigEndian(std::string_view bytes) {
    std::uint32_t value = 0;
    for (char c : bytes) {
        value = (value << 8) | static_cast<unsigned char>(c);
    }
    return value;
}

using FrameVisitor = std::function<void(std::string_view id, std::string_view data)>;

// Hands each frame of `frames` (version 2.3 or 2.4 frame headers) to `visit`, its data with
// the frame's own flags undone. Ends at the padding and at a frame that runs past the end.
void WalkFrames(std::string_view frames, int major, bool tagUnsynchronised,
                const FrameVisitor& visit) {
    std::size_t offset = 0;
    while (frames.size() - offset >= HeaderSize) {
        const std::string_view header = frames.substr(offset, HeaderSize);
        if (header[0] == '\0') {
            return;
        }
        const std::string_view sizeBytes = header.substr(4, 4);
        std::uint32_t size = BigEndian(sizeBytes);
        if (major == 4 && std::none_of(sizeBytes.begin(), sizeBytes.end(), [](char c) {
                return static_cast<unsigned char>(c) & 0x80;
            })) {
            size = Syncsafe(sizeBytes);
        }
        if (size > frames.size() - offset - HeaderSize) {
            return;
        }
        std::string_view data = frames.substr(offset + HeaderSize, size);
        offset += HeaderSize + size;

        const auto flags = static_cast<unsigned char>(header[9]);
        std::string plain;
        if (major == 3) {
            if (flags & (V23Compressed | V23Encrypted)) {
                continue;
            }
            data = data.substr(std::min<std::size_t>((flags & V23Grouped) ? 1 : 0, data.size()));
        } else {
            if (flags & (V24Compressed | V24Encrypted)) {
                continue;
            }
            if ((flags & V24Unsynchronised) || tagUnsynchronised) {
                plain = Resynchronised(data);
                data = plain;
            }
            const std::size_t added =
                ((flags & V24Grouped) ? 1 : 0) + ((flags & V24DataLength) ? 4 : 0);
            data = data.substr(std::min(added, data.size()));
        }
        visit(header.substr(0, 4), data);
    }
}

// An element ID: the bytes up to its terminator, and what follows it. No terminator: nothing
// follows.
std::pair<std::string, std::string_view> ElementId(std::string_view data) {
    const std::size_t end = data.find('\0');
    if (end == std::string_view::npos) {
        return {std::string(data), std::string_view()};
    }
    return {std::string(data.substr(0, end)), data.substr(end + 1)};
}

struct Toc {
    std::string id;
    unsigned char flags = 0;
    std::vector<std::string> entries;
    std::string title;
};

// The titles of the sub-frames: TIT2 into `title`, TPE1 into `performer` (when given).
void ReadSubFrames(std::string_view frames, int major, std::string& title, std::string* performer) {
    WalkFrames(frames, major, false, [&](std::string_view id, std::string_view data) {
        if (id == "TIT2" && title.empty()) {
            title = Id3v2FrameText(data);
        } else if (performer && id == "TPE1" && performer->empty()) {
            *performer = Id3v2FrameText(data);
        }
    });
}

}  // namespace

ChapterTable ReadChapters(std::string_view tag) {
    ChapterTable table;
    if (tag.size() < HeaderSize || tag.substr(0, 3) != "ID3") {
        return table;
    }
    const int major = static_cast<unsigned char>(tag[3]);
    const auto flags = static_cast<unsigned char>(tag[5]);
    if (major != 3 && major != 4) {
        return table;
    }
    std::string_view body = tag.substr(HeaderSize);
    body = body.substr(0, Syncsafe(tag.substr(6, 4)));
    std::string plain;
    if (major == 3 && (flags & TagUnsynchronised)) {
        plain = Resynchronised(body);
        body = plain;
    }
    if (flags & TagExtendedHeader) {
        if (body.size() < 4) {
            return table;
        }
        // 2.3 states the size without its own four bytes, 2.4 with them (syncsafe).
        const std::size_t skip = major == 3 ? std::size_t{4} + BigEndian(body.substr(0, 4))
                                            : std::size_t{Syncsafe(body.substr(0, 4))};
        body = body.substr(std::min(skip, body.size()));
    }

    std::vector<Chapter> chapters;
    std::vector<Toc> tocs;
    const bool tagUnsynchronised = (flags & TagUnsynchronised) != 0;
    WalkFrames(body, major, major == 4 && tagUnsynchronised,
               [&](std::string_view id, std::string_view data) {
                   if (id == "CHAP") {
                       auto [element, rest] = ElementId(data);
                       if (rest.size() < 16) {
                           return;  // no times
                       }
                       Chapter chapter;
                       chapter.id = std::move(element);
                       chapter.startMs = BigEndian(rest.substr(0, 4));
                       chapter.endMs = BigEndian(rest.substr(4, 4));
                       ReadSubFrames(rest.substr(16), major, chapter.title, &chapter.performer);
                       chapters.push_back(std::move(chapter));
                   } else if (id == "CTOC") {
                       auto [element, rest] = ElementId(data);
                       if (rest.size() < 2) {
                           return;
                       }
                       Toc toc;
                       toc.id = std::move(element);
                       toc.flags = static_cast<unsigned char>(rest[0]);
                       const int count = static_cast<unsigned char>(rest[1]);
                       rest.remove_prefix(2);
                       for (int i = 0; i < count && !rest.empty(); ++i) {
                           auto [entry, after] = ElementId(rest);
                           toc.entries.push_back(std::move(entry));
                           rest = after;
                       }
                       ReadSubFrames(rest, major, toc.title, nullptr);
                       tocs.push_back(std::move(toc));
                   }
               });
    if (chapters.empty()) {
        return table;
    }

    // The top-level table, else the first; its entries in order, a table among them by its
    // own entries, each chapter once.
    const auto root = std::find_if(tocs.begin(), tocs.end(), [](const Toc& toc) {
        return (toc.flags & ChapterTocTopLevel) != 0;
    });
    const Toc* top = root != tocs.end() ? &*root : tocs.empty() ? nullptr : &tocs.front();
    if (top) {
        std::map<std::string_view, const Chapter*> chapterById;
        std::map<std::string_view, const Toc*> tocById;
        for (const Chapter& chapter : chapters) {
            chapterById.emplace(chapter.id, &chapter);
        }
        for (const Toc& toc : tocs) {
            tocById.emplace(toc.id, &toc);
        }
        std::set<std::string_view> taken;
        std::set<std::string_view> visited;
        std::function<void(const Toc&, int)> follow = [&](const Toc& toc, int depth) {
            if (depth > MaxTocDepth || !visited.insert(toc.id).second) {
                return;
            }
            for (const std::string& entry : toc.entries) {
                if (auto chapter = chapterById.find(entry); chapter != chapterById.end()) {
                    if (taken.insert(entry).second) {
                        table.chapters.push_back(*chapter->second);
                    }
                } else if (auto inner = tocById.find(entry); inner != tocById.end()) {
                    follow(*inner->second, depth + 1);
                }
            }
        };
        follow(*top, 0);
        table.title = top->title;
    }
    if (table.chapters.empty()) {
        table.chapters = std::move(chapters);
    }
    std::stable_sort(table.chapters.begin(), table.chapters.end(),
                     [](const Chapter& a, const Chapter& b) { return a.startMs < b.startMs; });
    return table;
}

TrackList ChapterTrackList(const ChapterTable& table) {
    TrackList list;
    list.cd.title = table.title;
    const std::size_t count = std::min(table.chapters.size(), static_cast<std::size_t>(MaxTracks));
    for (std::size_t i = 0; i < count; ++i) {
        const Chapter& chapter = table.chapters[i];
        Track& track = list.tracks[i];
        const std::int64_t frames = (std::int64_t{chapter.startMs} * FramesPerSecond + 500) / 1000;
        track.start = BoundedBy(frames + LeadInFrames, MaxReadPosition);
        track.title = chapter.title;
        track.performer = chapter.performer;
    }
    list.trackCount = static_cast<int>(count);
    return list;
}

void OfferChapters(Mp3ScanJob& job, const Mp3ScanHooks& hooks, ByteSource& file,
                   std::string_view firstChunk) {
    if (firstChunk.size() < HeaderSize || firstChunk.substr(0, 3) != "ID3") {
        return;
    }
    std::string_view tag = firstChunk;
    std::string longer;
    const auto tagLength = static_cast<std::uint64_t>(
        Id3v2TagLength(reinterpret_cast<const unsigned char*>(firstChunk.data())));
    if (tagLength > firstChunk.size() && job.fileSize > firstChunk.size()) {
        longer.resize(static_cast<std::size_t>(
            std::min<std::uint64_t>({tagLength, job.fileSize, ChapterTagReadLimit})));
        file.SeekTo(0);
        const std::size_t got = file.Read(longer.data(), longer.size());
        if (file.Failed()) {
            return;  // the chunk itself was read; the main loop reports errors of its own
        }
        longer.resize(got);
        tag = longer;
    }
    ChapterTable table = ReadChapters(tag);
    if (table.chapters.empty()) {
        return;
    }
    ExtractOffer offer;
    offer.kind = ExtractOffer::Kind::Chapters;
    offer.name = table.title;
    offer.count = static_cast<int>(table.chapters.size());
    // "Nein" (go on searching) is the answer when nobody decides.
    const ExtractAnswer answer = hooks.offer ? hooks.offer(offer) : ExtractAnswer::No;
    if (answer == ExtractAnswer::Yes) {
        TrackList list = ChapterTrackList(table);
        CompleteExtractedList(list, job, file);
        job.list = std::move(list);
        job.listExtracted = true;
        job.done = true;
        job.split.Clear();
    } else if (answer == ExtractAnswer::Cancel) {
        job.cancelRequested = true;
    }
}

}  // namespace tracklore
