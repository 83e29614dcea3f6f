#pragma once

#include <atomic>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "freedb/Download.h"
#include "freedb/Fetch.h"
#include "model/Encoding.h"
#include "model/Job.h"
#include "resources/Strings.h"

namespace tracklore {

// Most results one search keeps; later matching links are dropped.
constexpr std::size_t MaxSearchResults = 5000;

// Letters, digits, "-", "_" and "." stay; a blank becomes "+"; every other byte "%XX".
std::string UrlEncode(std::string_view text);

// True when every blank-separated word occurs in the title, ASCII letters compared without
// regard to case; a word may also occur inside a longer word, and in any order.
bool WordsMatch(std::string_view title, std::string_view words);

// The four texts that frame a result link on the search page:
// cat=CATEGORY&id=DISCID">TITLE</a>
struct SearchMarkers {
    std::string category;
    std::string id;
    std::string title;
    std::string end;
};
SearchMarkers LoadSearchMarkers(const StringTable& strings);

// One result: category and disc ID as the page gives them, and the title the list shows.
struct SearchEntry {
    std::string category;
    std::string discId;
    std::string title;
};

// The first result link of a page line, or nothing when the line holds none.
std::optional<SearchEntry> ParseResultLine(std::string_view line, const SearchMarkers& markers);

// The address format of the search: string 1099 for an empty endpoint, else the endpoint
// (for example "http://127.0.0.1:8080") followed by "/search/%s".
std::string SearchAddressFormat(const StringTable& strings, std::string_view endpoint = {});
// The format filled with the encoded words.
std::string SearchAddress(std::string_view format, std::string_view words);

// What the result list shows after a search: one disabled message line (messageLine, a
// string number: SearchIdle or SearchNothingFound), or the titles of the entries, enabled
// (messageLine None). While the search runs, the list shows SearchRunning.
struct SearchResults {
    StringId messageLine = str::SearchIdle;
    std::vector<SearchEntry> entries;

    bool ListEnabled() const { return messageLine == StringId::None; }
};

struct SearchOptions {
    std::string addressFormat;  // empty: SearchAddressFormat()
    DownloadLimits limits;
    std::string tempFolder;  // empty: the system's temporary folder
    // The code page of a page that declares no byte-order mark and is not UTF-8.
    std::string legacyCodePage = DefaultLegacyCodePage;
    // The cancel flag of a search run to its end by RunSearch (the editor's runner has its own).
    const std::atomic<bool>* cancel = nullptr;
};

// How a search ended.
enum class SearchStatus {
    Done,            // the page was read: `results` lists its matches
    DownloadFailed,  // no page
    Cancelled,
    TempFailed,  // the temporary file could not be made or read (`tempPath`)
};
struct SearchOutcome {
    SearchStatus status = SearchStatus::Cancelled;
    SearchResults results;
    std::string tempPath;
};

// The search, a job: downloads the result page for the words (as typed, untrimmed) into a
// temporary file and collects every line's first result link whose title WordsMatch accepts,
// at most MaxSearchResults, in page order. Anything but Done leaves the list at SearchIdle.
// The temporary file is gone when the function returns.
SearchOutcome SearchDatabase(std::string_view words, const SearchOptions& options,
                             const StringTable& strings, const JobContext& job);

// The status line for the selected entry (0-based index): position, count, category, ID.
std::string SearchStatusText(const SearchResults& results, std::size_t index,
                             const StringTable& strings);

// The fetch request of an entry, validated and lower-cased; nothing when it is not valid
// (then a double-click does nothing).
std::optional<FetchRequest> SearchEntryRequest(const SearchResults& results, std::size_t index);

}  // namespace tracklore
