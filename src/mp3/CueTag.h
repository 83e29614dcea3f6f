#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "model/TrackList.h"

namespace tracklore {

// The cue sheet travels into an MP3 file as an ID3v2.3.0 tag at the start of the file: six
// text frames from the album data, then a GEOB frame holding the cue sheet between text
// markers that the MP3 scan looks for, then (unless switched off) the track list once more as
// a chapter table that players show, then the frames kept from an ID3v2.3.0 tag that was
// already there.

constexpr int MaxTagFrames = 20;
constexpr std::uint64_t TagHeaderSize = 10;
constexpr std::uint64_t TagFrameHeaderSize = 10;
// Zero bytes after the frames of a freshly written tag, so that the next tag usually fits.
constexpr std::uint64_t CueTagPadding = 512;
// The largest value of the 28-bit syncsafe size field of a tag header.
constexpr std::uint64_t MaxSyncsafeValue = 0x0FFFFFFF;
// Block size of the audio copy when the file is rewritten.
constexpr std::size_t CueTagCopyBlock = 1 << 20;

// The 23 bytes that open the GEOB frame: encoding, MIME type, file name, description.
extern const std::string_view CueGeobHead;

struct FrameSlot {
    std::array<char, 4> id{};
    std::array<unsigned char, 2> flags{};  // written as they stand
    std::string data;                      // exactly as it goes into the file
};

// The data of a text frame for a UTF-8 text, without terminator: encoding byte 0 and the
// ISO-8859-1 bytes when every character fits them, else encoding byte 1 and UTF-16
// little-endian with its byte-order mark.
std::string TextFrameData(std::string_view text);

// One frame as it stands in an ID3v2.3.0 tag: ID, size, two zero flag bytes, data.
std::string FrameBytes(std::string_view id, std::string_view data);

// The frames of the tag being built, in order of insertion: at most MaxTagFrames besides the
// chapter frames.
class FrameTable {
  public:
    void Clear() {
        slots_.clear();
        chapterFrames_ = 0;
    }
    // Adds an empty frame (flags 0, no data); its index, or -1 when the table is full.
    int AddFrame(std::string_view id);
    // Adds a chapter frame (CTOC or CHAP) with its data, whatever the count: a track list
    // needs one per track.
    void AddChapterFrame(std::string_view id, std::string data);
    // A text frame with the data of TextFrameData. Nothing happens when the table is full.
    void AddTextFrame(std::string_view id, std::string_view text);
    // Whether a frame with these four ID bytes is in the table.
    bool Contains(const char* id) const;
    int Count() const { return static_cast<int>(slots_.size()); }
    const std::vector<FrameSlot>& Slots() const { return slots_; }
    FrameSlot& Slot(int index) { return slots_.at(static_cast<std::size_t>(index)); }
    // Length of the tag header and every frame: where the padding of a tag would begin.
    std::uint64_t FramesEnd() const;

  private:
    std::vector<FrameSlot> slots_;
    int chapterFrames_ = 0;
};

// "CUESHEET\r\n" cue "ENDCUESHEET" "CUEVERSION\r\n" version "ENDCUEVERSION" "CUEINFO\r\n"
// "ENDCUEINFO".
std::string CuePayload(std::string_view cueText, std::string_view versionText);

// Clears the table and adds TRCK, TPE1, TIT2, TALB, TYER, TCON and the GEOB frame with the
// payload of `cueBytes`, the cue sheet file's bytes in their encoding.
void AddCueFrames(FrameTable& table, const TrackList& doc, std::string_view cueBytes);

// The chapter table of the track list: a CTOC frame "toc" (top-level and ordered, the album
// title in a TIT2 sub-frame) naming the chapters "chp0", "chp1", … in track order, and one
// CHAP frame per track with its title (TIT2) and performer (TPE1, the album artist's when the
// track names none). A chapter starts at the track's start less the lead-in and ends where
// the next one starts; the last ends at `lengthMs`, the measured length of the audio (at its
// own start when that is shorter). Times are whole milliseconds; the byte offsets are left
// unused (0xFFFFFFFF).
void AddChapterFrames(FrameTable& table, const TrackList& doc, std::uint32_t lengthMs);

// Walks the frames of an old ID3v2.3.0 tag (`oldTag` holds all of it, header included) and
// adds each one whose ID is not yet in the table, until the table is full, the zero padding
// begins, or a frame runs past the end of the tag. Its chapter frames (CTOC, CHAP) are left
// out: they describe the old track list, and a table cut to the first frame of each ID would
// name chapters that are not there.
void CarryOverFrames(FrameTable& table, std::string_view oldTag);

// Four 7-bit groups, most significant first.
void SyncsafeEncode(unsigned char* destination, std::uint32_t value);

// The tag bytes: header with size field totalLength - 10, the frames, zero padding up to
// totalLength. totalLength must be at least table.FramesEnd().
std::string AssembleTag(const FrameTable& table, std::uint64_t totalLength);

// How the new tag goes into the file.
struct TagPlan {
    bool inPlace = false;      // over the old tag, keeping its length
    std::uint64_t length = 0;  // total length of the new tag
    bool fits = true;          // the length can be stated in the header
};
TagPlan PlanTag(std::uint64_t framesEnd, std::uint64_t oldTagLength);

// How writing a tag into a file ended.
enum class TagWriteStatus {
    Written,
    CannotOpen,        // the file cannot be opened (or may not be written)
    NotMp3,            // no MPEG audio at its start
    Declined,          // an old tag of another version was not to be replaced
    TooLarge,          // the new tag would be too large
    CannotCreateTemp,  // no temporary file beside it (`folder` names the folder)
    CannotReplace,     // the temporary file could not be renamed over it
    SystemError,       // a read or write failed (`error` holds errno)
};
struct TagWriteOutcome {
    TagWriteOutcome(TagWriteStatus status = TagWriteStatus::Written, int error = 0,  // NOLINT
                    std::string folder = {})
        : status(status), error(error), folder(std::move(folder)) {}
    TagWriteStatus status;
    int error;
    std::string folder;
};

// Writes the frames of the table into the MP3 file at `path`: over the old tag when the new
// one fits its length, else through a temporary file renamed over the file. An old tag of
// another version than 2.3.0 is replaced only when `replaceOtherVersion` agrees. The frames
// of an old 2.3.0 tag that the table lacks are carried over into the table.
TagWriteOutcome WriteTagFile(FrameTable& table, const std::string& path,
                             const std::function<bool()>& replaceOtherVersion);

}  // namespace tracklore
