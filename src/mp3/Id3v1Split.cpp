#include "mp3/Id3v1Split.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

#include "model/Text.h"
#include "mp3/ImportHelpers.h"
#include "resources/Strings.h"

namespace tracklore {

ScanWindow::ScanWindow(std::size_t blockBytes)
    : blockBytes_(std::max(blockBytes, ScanChunkSize)),
      bytes_(CarriedBytes + blockBytes_ + Alignment, 0) {
    const auto address = reinterpret_cast<std::uintptr_t>(bytes_.data() + CarriedBytes);
    window_ = bytes_.data() + (Alignment - address % Alignment) % Alignment;
}

void ScanWindow::Carry(std::size_t chunkBytes) {
    // The window is CarriedBytes + chunkBytes long; its last CarriedBytes start at chunkBytes.
    std::memmove(window_, window_ + chunkBytes, CarriedBytes);
}

namespace {

// Thirty-two bytes compared at once; the compiler turns this into the machine's vector
// instructions (two SSE2 halves on x86-64, NEON on ARM).
using Bytes32 = unsigned char __attribute__((vector_size(32)));

// The search walks 128 bytes a step and looks only for "TA", which random bytes hold once in
// 64 KiB; a step with such a pair is then looked at byte by byte for "TAG".
constexpr std::size_t Step = 128;

// Whether "TA" starts anywhere in the 128 bytes at `at` (reads 129 bytes).
bool PairInStep(const unsigned char* at) {
    Bytes32 any{};
    for (std::size_t i = 0; i < Step; i += sizeof(Bytes32)) {
        Bytes32 first;
        Bytes32 second;
        std::memcpy(&first, at + i, sizeof first);
        std::memcpy(&second, at + i + 1, sizeof second);
        any |= (first == 'T') & (second == 'A');
    }
    std::uint64_t words[4];
    std::memcpy(words, &any, sizeof words);
    return (words[0] | words[1] | words[2] | words[3]) != 0;
}

#if defined(__x86_64__) && defined(__GNUC__)
// The same with AVX2, for processors that have it: whole 32-byte registers and one test of
// all lanes at once.
__attribute__((target("avx2"))) bool PairInStepAvx2(const unsigned char* at) {
    const __m256i t = _mm256_set1_epi8('T');
    const __m256i a = _mm256_set1_epi8('A');
    __m256i any = _mm256_setzero_si256();
    for (std::size_t i = 0; i < Step; i += 32) {
        const __m256i first = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + i));
        const __m256i second = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + i + 1));
        any = _mm256_or_si256(
            any, _mm256_and_si256(_mm256_cmpeq_epi8(first, t), _mm256_cmpeq_epi8(second, a)));
    }
    return _mm256_testz_si256(any, any) == 0;
}
#endif

// The first position from `from` up to `last` (inclusive) where "TAG" starts, or nullptr.
// Reads the two bytes after `last` too.
template <bool (*Pair)(const unsigned char*)>
__attribute__((always_inline)) inline const unsigned char* FindTagStartIn(
    const unsigned char* from, const unsigned char* last) {
    const unsigned char* p = from;
    for (; p + (Step - 1) <= last; p += Step) {
        if (!Pair(p)) {
            continue;
        }
        for (const unsigned char* q = p; q < p + Step; ++q) {
            if (q[0] == 'T' && q[1] == 'A' && q[2] == 'G') {
                return q;
            }
        }
    }
    for (; p <= last; ++p) {
        if (p[0] == 'T' && p[1] == 'A' && p[2] == 'G') {
            return p;
        }
    }
    return nullptr;
}

#if defined(__x86_64__) && defined(__GNUC__)
__attribute__((target("avx2"))) const unsigned char* FindTagStartAvx2(const unsigned char* from,
                                                                      const unsigned char* last) {
    return FindTagStartIn<PairInStepAvx2>(from, last);
}
#endif

const unsigned char* FindTagStart(const unsigned char* from, const unsigned char* last) {
#if defined(__x86_64__) && defined(__GNUC__)
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2) {
        return FindTagStartAvx2(from, last);
    }
#endif
    return FindTagStartIn<PairInStep>(from, last);
}

}  // namespace

// The search's inner loop runs over every byte of the file: it starts on a cache line, so its
// speed does not depend on where the linker happens to place it.
__attribute__((aligned(64))) void SearchWindowForTags(FragmentTable& table,
                                                      std::uint64_t chunkStart,
                                                      const unsigned char* window,
                                                      std::size_t windowLength) {
    if (windowLength < Id3v1Size) {
        return;
    }
    // Records may start at positions 0 to windowLength - 128. The search jumps from "TAG"
    // to "TAG" and tests only those places.
    const unsigned char* last = window + (windowLength - Id3v1Size);
    const unsigned char* from = window;
    while (from <= last) {
        const unsigned char* hit = FindTagStart(from, last);
        if (!hit) {
            break;
        }
        const unsigned char* record = hit;
        from = record + 1;  // overlapping hits are looked at too
        std::size_t k = static_cast<std::size_t>(record - window);
        if (chunkStart + k < CarriedBytes) {
            continue;  // the zero bytes in front of the first chunk
        }
        std::uint64_t tagStart = chunkStart + k - CarriedBytes;
        if (tagStart < table.lastTagEnd || !IsValidId3v1(record)) {
            continue;
        }
        table.lastTagEnd = tagStart + Id3v1Size;
        if (table.fragments.size() >= static_cast<std::size_t>(MaxTracks)) {
            ++table.droppedTags;
            continue;
        }
        Fragment fragment;
        fragment.start = table.fragments.empty()
                             ? 0
                             : table.fragments.back().start + table.fragments.back().length;
        fragment.length = table.lastTagEnd - fragment.start;
        std::memcpy(fragment.tag.data(), record, Id3v1Size);
        table.fragments.push_back(fragment);
    }
}

std::array<unsigned char, Id3v1Size> EmptyId3v1Record() {
    std::array<unsigned char, Id3v1Size> tag{};
    tag[0] = 'T';
    tag[1] = 'A';
    tag[2] = 'G';
    tag[id3v1::Genre] = 255;
    return tag;
}

namespace {

std::string TitleOr(const unsigned char* tag, const StringTable& strings,
                    const TextEncoding& codePage) {
    std::string title = Id3v1Title(tag, codePage);
    return title.empty() ? std::string(strings.Text(str::Untitled)) : title;
}

std::string ArtistOr(const unsigned char* tag, const StringTable& strings,
                     const TextEncoding& codePage) {
    std::string artist = Id3v1Artist(tag, codePage);
    return artist.empty() ? std::string(strings.Text(str::UnnamedArtist)) : artist;
}

}  // namespace

std::vector<FragmentRow> FragmentRows(const FragmentTable& table, const StringTable& strings,
                                      const TextEncoding& codePage) {
    std::vector<FragmentRow> rows;
    for (std::size_t i = 0; i < table.fragments.size(); ++i) {
        const Fragment& fragment = table.fragments[i];
        FragmentRow row;
        row.number = FormatText("% .16g", {static_cast<double>(i + 1)});
        row.artist = ArtistOr(fragment.tag.data(), strings, codePage);
        row.title = TitleOr(fragment.tag.data(), strings, codePage);
        row.size =
            strings.Format(str::FragmentSize, {static_cast<double>(fragment.length) / 1024.0});
        rows.push_back(std::move(row));
    }
    return rows;
}

MeasuredList BuildTracksFromFragments(const FragmentTable& table, ByteSource& file,
                                      const std::string& path, const StringTable& strings,
                                      const TextEncoding& codePage) {
    MeasuredList measured;
    TrackList& doc = measured.list;
    float runningTime = 2.0f;
    doc.cd.audioFile = FileNameText(StripExtension(FileNamePart(path)));
    const int count = static_cast<int>(table.fragments.size());
    doc.trackCount = count;
    for (int i = 1; i <= count; ++i) {
        const Fragment& fragment = table.fragments[i - 1];
        const unsigned char* tag = fragment.tag.data();
        Track& track = doc.tracks[i - 1];
        track.title = TitleOr(tag, strings, codePage);
        track.performer = ArtistOr(tag, strings, codePage);
        if (i == 1) {
            doc.cd.year = Id3v1Year(tag, codePage);
            std::string album = Id3v1Album(tag, codePage);
            std::string albumArtist = ArtistPart(album);
            if (!albumArtist.empty()) {
                doc.cd.artist = albumArtist;
                doc.cd.title = TitlePart(album);
            } else {
                doc.cd.artist = track.performer.str();
                doc.cd.title = album;
            }
            doc.cd.genre = Id3v1Genre(tag);
        } else if (i == 2) {
            if (doc.cd.artist.str() != track.performer.str() &&
                doc.cd.artist.str() == doc.tracks[0].performer.str()) {
                doc.cd.artist = "Various";
            }
        }
        if (!PlaceMeasuredTrack(doc, file, static_cast<std::int64_t>(fragment.start),
                                static_cast<std::int64_t>(fragment.length), i, runningTime)) {
            measured.unmeasuredTrack = i;
            return measured;
        }
    }
    doc.cd.totalSeconds = RoundSeconds(runningTime);
    return measured;
}

}  // namespace tracklore
