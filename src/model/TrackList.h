#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "model/Encoding.h"
#include "model/FieldText.h"

namespace tracklore {

constexpr int MaxTracks = 99;
constexpr int FramesPerSecond = 75;
// Track starts are held on the scale of a CD's table of contents: the first track
// normally starts after a lead-in of two seconds.
constexpr int LeadInFrames = 150;
// 99:59:74, the last position the folder scan lets a track reach.
constexpr int MaxPositionFrames = 449999;
constexpr int UnknownLength = -1;
// The largest album length and track position a reader takes from a file (about 58 days);
// larger values are held at these bounds. Within them every sum and difference of positions
// and lengths that the program forms stays far inside 32 bits.
constexpr std::int32_t MaxTotalSeconds = 5000000;
constexpr std::int32_t MaxReadPosition = MaxTotalSeconds * FramesPerSecond;

// A read total or position held within -bound..bound.
std::int32_t BoundedBy(std::int64_t value, std::int32_t bound);

constexpr int DocumentKindCue = 1;
constexpr int DocumentKindXmcd = 2;

struct CdInfo {
    FieldText<300> audioFile;  // audio file name without folder and extension
    FieldText<128> title;
    FieldText<128> artist;
    std::int32_t totalSeconds = 0;  // end of the last track in whole seconds; 0 = not known
    FieldText<10> discId;
    FieldText<5> year;
    FieldText<53> genre;
};

struct Track {
    FieldText<300> title;
    FieldText<300> performer;
    std::int32_t start = 0;  // frames, absolute (first track normally at 150)
};

// The one document the program edits. Records 0 to trackCount-1 are the tracks in play
// order; the table has one spare record, as the readers may address record 99.
struct TrackList {
    CdInfo cd;
    int trackCount = 0;
    std::array<Track, MaxTracks + 1> tracks{};

    // Document state. The path is kept whole: a cut path would name another file.
    std::string documentPath;
    int documentKind = DocumentKindCue;
    bool modified = false;
    // The encoding the document's file was read in; Windows-1252 for a new document.
    TextEncoding encoding;
};

enum class TimeFormat { Msf, Msh };

// Length of track `index` in frames, or UnknownLength for the last track while the total
// is not known. Not clamped: unordered starts give zero or negative lengths.
std::int32_t TrackLength(const TrackList& list, int index);

// The CD database disc ID over the starts as held, eight lower-case hex digits.
std::string ComputeDiscId(const TrackList& list);

// Sum of the decimal digits; 0 for 0 and negative numbers.
std::int32_t DigitSum(std::int32_t value);

// Empties every album field and track record and resets the document state, except the
// modified flag, which the caller sets through the main window (see ClearTrackList in Session).
void ResetTrackList(TrackList& list);

}  // namespace tracklore
