#pragma once

#include <cstdint>
#include <string>

namespace tracklore::test::mp3 {

// Builders and readers of ID3v2.3 tag bytes.

std::string BigEndian32(std::uint32_t value);
// One frame: ID, big-endian size, two flag bytes, data.
std::string Id3Frame(const std::string& id, const std::string& data, char flag1 = 0,
                     char flag2 = 0);
// A whole tag: header (syncsafe size), `frames` as given, `padding` zero bytes.
std::string Id3Tag(const std::string& frames, std::size_t padding = 0, std::uint8_t flags = 0,
                   std::uint8_t major = 3);
// The total length that the tag header at the start of `file` states.
std::uint64_t Id3TagLength(const std::string& file);

}  // namespace tracklore::test::mp3
