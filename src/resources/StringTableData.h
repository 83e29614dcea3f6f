#pragma once

#include <cstddef>

namespace tracklore::detail {

struct StringTableEntry {
    int id;
    const char* text;  // UTF-8
    std::size_t length;
};

// Sorted by id; generated at build time from resources/strings.de.tsv.
extern const StringTableEntry StringTableEntries[];
extern const std::size_t StringTableEntryCount;

}  // namespace tracklore::detail
