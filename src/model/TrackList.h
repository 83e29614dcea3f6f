#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

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

// A line of a read document that the editor does not edit: it is kept as it was read and
// written back in its place (ISRC, FLAGS, SONGWRITER, CATALOG, PREGAP, REM lines, commands of
// other programs, an XMCD record's extended lines …).
struct KeptLine {
    std::string text;  // the line, trimmed
    // INDEX 00 and INDEX 02 and higher of a cue sheet track: the number and the distance in
    // frames from the track's INDEX 01 (negative for INDEX 00), so they move with the track.
    int index = -1;
    std::int32_t offset = 0;
    bool afterIndex = false;  // the line stood after the track's INDEX 01
    // A line that gave a field (REM GENRE Rock, REM DATE "1999", REM DISCID …): written back
    // in its own form, `prefix` + the field's value + `suffix`; while the field still holds
    // what the line gave, with the line's own value (`value`, which the field may have cut).
    enum class Field { None, Genre, Year, DiscId } field = Field::None;
    std::string prefix;
    std::string suffix;
    std::string value;
    // For an INDEX line: the audio file its time counts in (see Track::file).
    int file = -1;

    bool operator==(const KeptLine&) const = default;
};

// An audio file a cue sheet names in a FILE line, kept as written, and where it lies on the
// disc: the files of a sheet follow one another, each starting where the one before ends.
struct AudioFileLine {
    std::string name;
    std::string type;  // "MP3", "WAVE", "BINARY" …
    // The measured length in frames; UnknownLength when the file was not found or measured.
    std::int32_t length = UnknownLength;
    // The disc position of the file's start. The first file starts at the cue sheet's origin;
    // a file after one of unknown length holds LeadInFrames (its tracks then show their times
    // within the file) and `placed` is false.
    std::int32_t position = LeadInFrames;
    bool placed = true;

    bool operator==(const AudioFileLine&) const = default;
};

struct CdInfo {
    FieldText<300> audioFile;  // audio file name without folder and extension
    FieldText<128> title;
    FieldText<128> artist;
    std::int32_t totalSeconds = 0;  // end of the last track in whole seconds; 0 = not known
    FieldText<10> discId;
    FieldText<5> year;
    FieldText<53> genre;
    // The read cue sheet named no album artist and the reader put in "Various": the sheet is
    // written back without a PERFORMER line while the artist stays so.
    bool artistByDefault = false;
    // The lines before the first track that the editor keeps, in the order read.
    std::vector<KeptLine> lines;
    // The FILE lines of a read cue sheet in order; empty for a document that has none of its
    // own (the writer then names the audio file after the document).
    std::vector<AudioFileLine> files;
    // What an XMCD record holds beyond the edited fields, written back when it is saved as
    // XMCD again: the comment lines after the disc length ("# Revision: 3", "# Submitted via:
    // …"), the further disc IDs of its DISCID line (",af10420e"), EXTD and PLAYORDER.
    std::vector<std::string> xmcdComments;
    std::string moreDiscIds;
    std::string extendedData;
    std::string playOrder;

    bool operator==(const CdInfo&) const = default;
};

struct Track {
    FieldText<300> title;
    FieldText<300> performer;
    std::int32_t start = 0;  // frames, absolute (first track normally at 150)
    // "AUDIO", or the mode of a data track ("MODE1/2352" …).
    std::string type = "AUDIO";
    // The audio file (index into CdInfo::files) its INDEX 01 counts in; -1 for the file of the
    // track before it (a track the user added), or the first.
    int file = -1;
    // The file that was current at the sheet's TRACK line (a track may begin in one file and
    // have its INDEX lines in the next); -1 for a track the user added.
    int fileAtTrackLine = -1;
    // A track the sheet gave no INDEX 01 (it starts at its first other INDEX): its start as
    // read, so no INDEX 01 is made up for it while the start stays; -1 otherwise.
    std::int32_t startWithoutIndexOne = -1;
    // The lines of the track that the editor keeps, in the order read.
    std::vector<KeptLine> lines;
    // The read sheet named the performer of the track in a line of its own, also where it is
    // the album artist's: it is written back so.
    bool performerLine = false;
    // The extended data of the track in an XMCD record (EXTT).
    std::string extendedData;

    bool IsAudio() const { return type == "AUDIO"; }
    bool operator==(const Track&) const = default;
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

// TrackLength as the list shows it: UnknownLength also for a track whose successor lies in
// another audio file that could not be placed (its start counts within that file).
std::int32_t ShownTrackLength(const TrackList& list, int index);

// The CD database disc ID over the starts as held, eight lower-case hex digits; the ID the
// document holds while a track's disc position is not known (see UnplacedFile).
std::string ComputeDiscId(const TrackList& list);

// The first audio file whose disc position is not known (a file before it could not be
// measured), or nullptr when every track's disc position is known.
const AudioFileLine* UnplacedFile(const TrackList& list);

// The audio file of track `index` (0-based): its own, else that of the track before it, else
// the first; -1 when the document names no audio file of its own.
int FileOfTrack(const TrackList& list, int index);

// Sum of the decimal digits; 0 for 0 and negative numbers.
std::int32_t DigitSum(std::int32_t value);

// Empties every album field and track record and resets the document state, except the
// modified flag, which the caller sets through the main window (see ClearTrackList in Session).
void ResetTrackList(TrackList& list);

}  // namespace tracklore
