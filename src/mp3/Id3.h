#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

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

// A field as text: up to its first zero byte, then trimmed.
std::string Id3v1Text(const unsigned char* record, std::size_t offset, std::size_t width);

// The record's fields, read with Id3v1Text.
std::string Id3v1Title(const unsigned char* record);
std::string Id3v1Artist(const unsigned char* record);
std::string Id3v1Album(const unsigned char* record);
std::string Id3v1Year(const unsigned char* record);
// GenreName of the genre byte.
std::string Id3v1Genre(const unsigned char* record);

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
std::string AlbumWrapName(const unsigned char* buffer, std::size_t length);
// A number of a track slot: "1234.5678" gives 12345678, "0.0512" gives 512 (integer part
// times 10000 plus the fraction read as four digits). Without "." both parts are the text.
std::int64_t AlbumWrapNumber(std::string_view text);

// The header's track list: album from the TALB and TPE1 frames, tracks from the slots, each
// measured in `file` from its start offset. Nothing when a frame is missing; a track that
// does not measure as MPEG audio ends the list before it (MeasuredList::unmeasuredTrack).
struct MeasuredList;
std::optional<MeasuredList> ReadAlbumWrapHeader(ByteSource& file, const unsigned char* buffer,
                                                std::size_t length);

}  // namespace tracklore
