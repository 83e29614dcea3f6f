#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "model/Encoding.h"
#include "model/TrackList.h"
#include "mp3/ByteSource.h"

namespace tracklore {

// The 128-byte ID3v1 record that closes a track: "TAG", then fixed-width fields.
constexpr std::size_t Id3v1Size = 128;
namespace id3v1 {
constexpr std::size_t Title = 3;
constexpr std::size_t Artist = 33;
constexpr std::size_t Album = 63;
constexpr std::size_t Year = 93;
constexpr std::size_t Comment = 97;
constexpr std::size_t Genre = 127;
constexpr std::size_t TextWidth = 30;
constexpr std::size_t YearWidth = 4;
}  // namespace id3v1

// True when the record begins with "TAG" and none of title, artist, album, year and the
// first 29 comment bytes holds a control byte (1 to 31) before its first zero byte. Bytes
// after a zero byte are not looked at once a non-zero byte follows it; byte 126 (the track
// number of ID3v1.1) and the genre byte are never tested.
bool IsValidId3v1(const unsigned char* record);

// A field as text: its bytes up to the first zero byte decoded in `codePage` (the record
// names no encoding; its writers used the code page of their system, which the legacy code
// page setting stands for), then trimmed.
std::string Id3v1Text(const unsigned char* record, std::size_t offset, std::size_t width,
                      const TextEncoding& codePage = {});

// The record's fields, read with Id3v1Text.
std::string Id3v1Title(const unsigned char* record, const TextEncoding& codePage = {});
std::string Id3v1Artist(const unsigned char* record, const TextEncoding& codePage = {});
std::string Id3v1Album(const unsigned char* record, const TextEncoding& codePage = {});
std::string Id3v1Year(const unsigned char* record, const TextEncoding& codePage = {});
// GenreName of the genre byte.
std::string Id3v1Genre(const unsigned char* record);

// ID3v2 text. A frame's data that holds text starts with its encoding byte: 0 ISO-8859-1,
// 1 UTF-16 with a byte-order mark, 2 UTF-16 big-endian without one, 3 UTF-8 (2 and 3 came
// with version 2.4; they are read in every version). A string ends at its terminator, one
// zero byte in encodings 0 and 3, two zero bytes at an even offset in 1 and 2, or at the end
// of the data.
namespace id3v2 {
constexpr unsigned char Latin1 = 0;
constexpr unsigned char Utf16 = 1;
constexpr unsigned char Utf16Be = 2;
constexpr unsigned char Utf8 = 3;
}  // namespace id3v2

// The first string of `bytes` in `encoding`, decoded to UTF-8, and the bytes after its
// terminator. An unknown encoding gives no text and nothing after it.
struct Id3v2String {
    std::string text;
    std::string_view rest;
};
Id3v2String ReadId3v2String(std::string_view bytes, unsigned char encoding);

// The text of a text frame (TIT2, TPE1, ...): its first value (version 2.4 separates several
// by terminators), trimmed.
std::string Id3v2FrameText(std::string_view data);

// A frame that names its text with a description in the frame's encoding: TXXX (encoding,
// description, value) and, after `languageBytes` = 3 bytes of language, COMM and USLT.
struct Id3v2DescribedText {
    std::string description;
    std::string text;
};
Id3v2DescribedText ReadId3v2DescribedText(std::string_view data, std::size_t languageBytes);

// The genre of a TCON frame's text: a genre number, alone or in parentheses ("17", "(17)"),
// is the name of that genre; text after "(17)" refines it and is taken instead; "((" stands
// for a parenthesis that begins the name.
std::string Id3v2Genre(std::string_view text);

// The album texts of an ID3v2 tag of version 2.2, 2.3 or 2.4 at the start of `tag` (the tag's
// bytes as far as they were read, header included): title TIT2/TT2, artist TPE1/TP1, album
// TALB/TAL, year TYER/TDRC/TYE (its first four characters), genre TCON/TCO. The tag's and the
// frames' unsynchronisation is undone and the extended header skipped; compressed and
// encrypted frames are passed over. A frame that runs past the tag or past the bytes read
// ends the walk, so no size in the tag can make it read beyond `tag`.
struct Id3v2Texts {
    std::string title;
    std::string artist;
    std::string album;
    std::string year;
    std::string genre;
    bool Empty() const {
        return title.empty() && artist.empty() && album.empty() && year.empty() && genre.empty();
    }
};
Id3v2Texts ReadId3v2Texts(std::string_view tag);

// The album-wrapper header: an ID3v2.3 tag of one fixed shape at the start of a file that
// names the album, its artist and the wrapped tracks (length, start and file name of each,
// in 99 slots of 501 bytes).
constexpr std::size_t AlbumWrapCountOffset = 1325;
constexpr std::size_t AlbumWrapSlotOffset = 1335;
constexpr std::size_t AlbumWrapSlotSize = 501;

// The buffer (the first bytes of a file) starts with the header's fixed bytes, with an
// album frame long enough for its "AlbumWrap - " prefix.
bool IsAlbumWrapHeader(const unsigned char* buffer, std::size_t length);
// The album name of such a header (for the question whether to extract it).
std::string AlbumWrapName(const unsigned char* buffer, std::size_t length,
                          const TextEncoding& codePage = {});
// A number of a track slot: "1234.5678" gives 12345678, "0.0512" gives 512 (integer part
// times 10000 plus the fraction read as four digits). Without "." both parts are the text.
std::int64_t AlbumWrapNumber(std::string_view text);

// The header's track list: album from the TALB and TPE1 frames, tracks from the slots, each
// measured in `file` from its start offset. Nothing when a frame is missing; a track that
// does not measure as MPEG audio ends the list before it (MeasuredList::unmeasuredTrack).
// The programs that write the header put their system's code page into it: its texts are
// decoded in `codePage`.
struct MeasuredList;
std::optional<MeasuredList> ReadAlbumWrapHeader(ByteSource& file, const unsigned char* buffer,
                                                std::size_t length,
                                                const TextEncoding& codePage = {});

// One frame of an ID3v2 tag as it stands in the tag.
struct Id3v2Frame {
    std::string_view id;             // three letters in 2.2, four after
    std::string_view stored;         // its data as stored
    int major = 0;                   // the tag's version: 2, 3 or 4
    unsigned char flags = 0;         // the second flag byte of its header (2.3 and 2.4)
    bool tagUnsynchronised = false;  // 2.4: the tag's unsynchronisation holds for each frame
    // Its data with its unsynchronisation, group byte and data length undone; nothing for a
    // compressed or encrypted frame.
    std::optional<std::string> Data() const;
};
using Id3v2FrameVisitor = std::function<void(const Id3v2Frame&)>;

// Hands each frame of `tag` (an ID3v2.2, 2.3 or 2.4 tag from its header on) to `visit`,
// after the tag's own unsynchronisation (up to 2.3) and its extended header. Ends at the
// padding and at a frame that runs past the tag or past what `tag` holds. Returns the tag's
// version, 0 when `tag` is none of these (or a compressed 2.2 tag) and nothing was visited.
int ForEachId3v2Frame(std::string_view tag, const Id3v2FrameVisitor& visit);
// The same for a run of frames of version `major` without a tag header (a chapter's frames).
void ForEachId3v2SubFrame(std::string_view frames, int major, const Id3v2FrameVisitor& visit);

// A 28-bit syncsafe integer of ID3v2 (seven bits a byte) from the first four bytes.
std::uint32_t Syncsafe(std::string_view bytes);
// The bytes with ID3v2 unsynchronisation undone: a zero byte after 0xFF goes.
std::string Resynchronised(std::string_view bytes);

}  // namespace tracklore
