#include <string>

#include "FuzzSupport.h"
#include "freedb/Search.h"

// One line of a search result page, and the word match, of arbitrary text.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tracklore;
    std::string text(reinterpret_cast<const char*>(data), size);
    static const SearchMarkers markers = LoadSearchMarkers(StringTable::German());
    if (auto entry = ParseResultLine(text, markers)) {
        FUZZ_CHECK(text.find(entry->category) != std::string::npos);
    }
    std::size_t split = size ? data[0] % (size + 1) : 0;
    std::string title = text.substr(0, split);
    std::string words = text.substr(split);
    bool match = WordsMatch(title, words);
    if (match) {
        FUZZ_CHECK(WordsMatch(title + " more", words));
    }
    std::string encoded = UrlEncode(text);
    FUZZ_CHECK(encoded.size() >= text.size());
    return 0;
}
