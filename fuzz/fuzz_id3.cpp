#include <cstring>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "model/Cp1252.h"
#include "model/Encoding.h"
#include "mp3/Chapters.h"
#include "mp3/Id3.h"

// ID3v1 records, ID3v2 tags (their texts and chapters) and the album-wrapper header of
// arbitrary bytes.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tracklore;
    if (size >= 128) {
        bool valid = IsValidId3v1(data);
        if (valid) {
            FUZZ_CHECK(std::memcmp(data, "TAG", 3) == 0);
            const std::string title = Id3v1Title(data);
            const std::string year = Id3v1Year(data, LegacyEncoding("WINDOWS-1251"));
            FUZZ_CHECK(IsValidUtf8(title) && CharacterCount(title) <= 30);
            FUZZ_CHECK(IsValidUtf8(year) && CharacterCount(year) <= 4);
            Id3v1Genre(data);
        }
    }
    // The texts of an ID3v2 tag of any version: valid UTF-8, whatever the sizes claim.
    const Id3v2Texts texts =
        ReadId3v2Texts(std::string_view(reinterpret_cast<const char*>(data), size));
    for (const std::string* text :
         {&texts.title, &texts.artist, &texts.album, &texts.year, &texts.genre}) {
        FUZZ_CHECK(IsValidUtf8(*text) && text->size() <= 3 * size);
    }
    FUZZ_CHECK(CharacterCount(texts.year) <= 4);
    // The chapters of the same tag: every text valid, ordered by start, a track list within
    // bounds.
    const ChapterTable chapters =
        ReadChapters(std::string_view(reinterpret_cast<const char*>(data), size));
    FUZZ_CHECK(IsValidUtf8(chapters.title));
    for (std::size_t i = 0; i < chapters.chapters.size(); ++i) {
        const Chapter& chapter = chapters.chapters[i];
        FUZZ_CHECK(IsValidUtf8(chapter.title) && IsValidUtf8(chapter.performer));
        FUZZ_CHECK(i == 0 || chapters.chapters[i - 1].startMs <= chapter.startMs);
    }
    const TrackList chapterList = ChapterTrackList(chapters);
    fuzz::CheckTrackList(chapterList);
    // The header test sees the first bytes of a file; the reader measures tracks in the
    // whole input.
    std::string bytes(reinterpret_cast<const char*>(data), size);
    if (IsAlbumWrapHeader(data, size)) {
        AlbumWrapName(data, size);
    }
    fuzz::Harness h;
    MemorySource file(bytes);
    ReadAlbumWrapHeader(h.session, file, data, size);
    fuzz::CheckTrackList(h.doc);
    AlbumWrapNumber(bytes);
    return 0;
}
