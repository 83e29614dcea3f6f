#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tracklore {

// The built-in genre names: one text of slots separated by "|", a genre number being the
// slot position counted from 0. Slots 0 to 141 follow the ID3v1 genre numbers with their
// usual extensions; 142 and 143 are empty.
extern const std::string_view GenreList;
constexpr int GenreSlotCount = 147;

// The name in slot `number`; empty for an empty slot and for numbers outside the list
// (255 is what tag writers use for "no genre").
std::string GenreName(int number);

// The non-empty slots in slot order, each with its number: the entries of a genre box.
struct GenreEntry {
    std::string name;
    int number = 0;
};
std::vector<GenreEntry> GenreEntries();

}  // namespace tracklore
