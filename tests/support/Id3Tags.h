#pragma once

#include <cstdint>
#include <string>

namespace tracklore::test::mp3 {

// Builders and readers of ID3v2 tag bytes.

std::string BigEndian32(std::uint32_t value);
// One frame: ID, big-endian size, two flag bytes, data.
std::string Id3Frame(const std::string& id, const std::string& data, char flag1 = 0,
                     char flag2 = 0);
// A whole tag: header (syncsafe size), `frames` as given, `padding` zero bytes.
std::string Id3Tag(const std::string& frames, std::size_t padding = 0, std::uint8_t flags = 0,
                   std::uint8_t major = 3);
// The total length that the tag header at the start of `file` states.
std::uint64_t Id3TagLength(const std::string& file);

// The data of a text frame: the encoding byte, then the UTF-8 text in that encoding (0
// ISO-8859-1, 1 UTF-16 little-endian with its mark, 2 UTF-16 big-endian, 3 UTF-8), with the
// encoding's terminator when `terminated`.
std::string Id3TextData(const std::string& text, int encoding, bool terminated = false);
// A frame of version 2.4 (syncsafe size) and one of version 2.2 (three-letter ID, 24-bit size).
std::string Id3Frame24(const std::string& id, const std::string& data, char flag1 = 0,
                       char flag2 = 0);
std::string Id3Frame22(const std::string& id, const std::string& data);

}  // namespace tracklore::test::mp3
