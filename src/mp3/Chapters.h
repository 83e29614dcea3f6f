#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/TrackList.h"
#include "mp3/ByteSource.h"
#include "mp3/Mp3Scan.h"

namespace tracklore {

// Chapters of an ID3v2 tag, as players show them: CHAP frames (an element ID, start and end
// time in milliseconds, byte offsets, then frames of their own such as the title in TIT2) and
// CTOC frames (an element ID, flags, the element IDs of their entries, then frames of their
// own), which put chapters and further tables in order.
struct Chapter {
    std::string id;
    std::uint32_t startMs = 0;
    std::uint32_t endMs = 0;
    std::string title;      // TIT2
    std::string performer;  // TPE1
};

struct ChapterTable {
    std::string title;  // TIT2 of the table of contents the chapters were taken from
    // The chapters that the top-level table of contents names (a table it names is taken in
    // its place), else every chapter; ordered by start time, ties in the table's order.
    std::vector<Chapter> chapters;
};

// CTOC flags.
constexpr unsigned char ChapterTocOrdered = 0x01;
constexpr unsigned char ChapterTocTopLevel = 0x02;

// The chapters of the ID3v2.3 or 2.4 tag at the start of `tag` (the tag's bytes as far as they
// were read, header included). The tag's and the frames' unsynchronisation is undone and the
// extended header skipped; compressed and encrypted frames are passed over. A frame or
// sub-frame that runs past its container, or past the bytes read, ends the walk of that
// container, so no size or count in the tag can make it read beyond `tag`. Texts are read in
// any of the four encodings. Nothing for a tag of another version or without chapters.
ChapterTable ReadChapters(std::string_view tag);

// The track list of the chapters: one track per chapter, at most MaxTracks, starting at the
// chapter's start rounded to the nearest frame after the lead-in; the album title is the
// table's. The total and the audio file are left open.
TrackList ChapterTrackList(const ChapterTable& table);

// The scan's test of the first chunk of the file: when its ID3v2 tag holds chapters (the tag
// is read on from the file when it is longer than the chunk), offers them (ExtractOffer::
// Chapters with their number); on Yes their track list is taken over, completed from the file
// (CompleteExtractedList), and the scan ends; Cancel cancels the scan.
void OfferChapters(Mp3ScanJob& job, const Mp3ScanHooks& hooks, ByteSource& file,
                   std::string_view firstChunk);

}  // namespace tracklore
