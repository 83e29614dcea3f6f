#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "mp3/ByteSource.h"
#include "mp3/Id3.h"
#include "mp3/ImportHelpers.h"
#include "resources/Strings.h"

namespace tracklore {

// The split of an album made of MP3 files joined end to end: every track still ends with
// its ID3v1 record, so the records found in the joined file mark the track boundaries.

constexpr std::size_t ScanChunkSize = 65536;
// Bytes of the previous window kept in front of each chunk, so that a record cut by a
// chunk boundary is found whole in the next window.
constexpr std::size_t CarriedBytes = 300;

// A stretch of the file that ends with an accepted ID3v1 record (or, for a final stretch
// without one, with the end of the file). Offsets are 64-bit: joined albums of 4 GiB and
// more are ordinary.
struct Fragment {
    std::uint64_t start = 0;
    std::uint64_t length = 0;  // closing record included
    std::array<unsigned char, Id3v1Size> tag{};
};

// The fragments found so far, in file order; at most MaxTracks.
struct FragmentTable {
    std::vector<Fragment> fragments;
    // File offset just after the last accepted record; a record that starts before it is
    // the same one seen again in the carried bytes, or text inside it ("SABOTAGE").
    std::uint64_t lastTagEnd = 0;
    // Records found after the table was full; they are not used.
    int droppedTags = 0;

    void Clear() {
        fragments.clear();
        lastTagEnd = 0;
        droppedTags = 0;
    }
};

// The carried bytes followed by room for a block of `blockBytes` (at least one chunk) read at
// once. Window position k holds file byte blockStart - CarriedBytes + k; before the first
// block the carried bytes are zero. The chunks of a block follow each other in it, so the
// window of any chunk is the CarriedBytes in front of it and the chunk.
class ScanWindow {
  public:
    explicit ScanWindow(std::size_t blockBytes = ScanChunkSize);
    unsigned char* Chunk() { return window_ + CarriedBytes; }
    const unsigned char* Chunk() const { return window_ + CarriedBytes; }
    const unsigned char* Data() const { return window_; }
    std::size_t BlockBytes() const { return blockBytes_; }
    // Keeps the last CarriedBytes of the window of a block of `chunkBytes` bytes for the next.
    void Carry(std::size_t chunkBytes);

  private:
    // The chunk starts on a cache line: the reads fill it and the search walks it in whole
    // lines, whatever the heap gave the buffer.
    static constexpr std::size_t Alignment = 64;
    std::size_t blockBytes_;
    std::vector<unsigned char> bytes_;
    unsigned char* window_ = nullptr;
};

// Looks for valid ID3v1 records that lie wholly within the window (`windowLength` bytes,
// the carried ones included) and appends a fragment for each new one.
void SearchWindowForTags(FragmentTable& table, std::uint64_t chunkStart,
                         const unsigned char* window, std::size_t windowLength);

// One row of the MP3 scan's results dialog.
struct FragmentRow {
    std::string number;  // "% .16g" of the fragment number
    std::string artist;
    std::string title;
    std::string size;  // "%0.1f Kb"
};

// The results dialog's rows: number, artist, title (the record's texts decoded in
// `codePage`, the legacy code page setting), size in Kb.
std::vector<FragmentRow> FragmentRows(const FragmentTable& table, const StringTable& strings,
                                      const TextEncoding& codePage = {});

// The ID3v1 record of a final fragment that has none: "TAG", zeros, genre 255.
std::array<unsigned char, Id3v1Size> EmptyId3v1Record();

// One track per fragment, named from its record (decoded in `codePage`) and placed by the
// measured durations of the fragments before it (first track at two seconds). A fragment
// that does not measure as MPEG audio ends the list before it (MeasuredList::unmeasuredTrack).
// The audio file is the file's name as text.
MeasuredList BuildTracksFromFragments(const FragmentTable& table, ByteSource& file,
                                      const std::string& path, const StringTable& strings,
                                      const TextEncoding& codePage = {});

}  // namespace tracklore
