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
constexpr std::size_t TagHeaderSize = 10;

std::uint32_t BigEndian(std::string_view bytes) {
    std::uint32_t value = 0;
    for (char c : bytes) {
        value = (value << 8) | static_cast<unsigned char>(c);
    }
    return value;
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
    ForEachId3v2SubFrame(frames, major, [&](const Id3v2Frame& frame) {
        std::string* field = frame.id == "TIT2"                ? &title
                             : performer && frame.id == "TPE1" ? performer
                                                               : nullptr;
        if (!field || !field->empty()) {
            return;
        }
        if (auto data = frame.Data()) {
            *field = Id3v2FrameText(*data);
        }
    });
}

}  // namespace

ChapterTable ReadChapters(std::string_view tag) {
    ChapterTable table;
    std::vector<Chapter> chapters;
    std::vector<Toc> tocs;
    // Chapters came with 2.3; a 2.2 tag has none.
    ForEachId3v2Frame(tag, [&](const Id3v2Frame& frame) {
        if (frame.major < 3 || (frame.id != "CHAP" && frame.id != "CTOC")) {
            return;
        }
        const auto data = frame.Data();
        if (!data) {
            return;
        }
        auto [element, rest] = ElementId(*data);
        if (frame.id == "CHAP") {
            if (rest.size() < 16) {
                return;  // no times
            }
            Chapter chapter;
            chapter.id = std::move(element);
            chapter.startMs = BigEndian(rest.substr(0, 4));
            chapter.endMs = BigEndian(rest.substr(4, 4));
            ReadSubFrames(rest.substr(16), frame.major, chapter.title, &chapter.performer);
            chapters.push_back(std::move(chapter));
            return;
        }
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
        ReadSubFrames(rest, frame.major, toc.title, nullptr);
        tocs.push_back(std::move(toc));
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
    if (firstChunk.size() < TagHeaderSize || firstChunk.substr(0, 3) != "ID3") {
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
