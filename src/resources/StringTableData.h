#pragma once

#include <cstddef>

namespace tracklore::detail {

struct StringTableEntry {
    int id;
    const char* text;  // UTF-8
    std::size_t length;
};

// Sorted by id; generated at build time from resources/strings.de.tsv and strings.en.tsv,
// which hold the same entries.
extern const StringTableEntry GermanEntries[];
extern const std::size_t GermanEntryCount;
extern const StringTableEntry EnglishEntries[];
extern const std::size_t EnglishEntryCount;

}  // namespace tracklore::detail
