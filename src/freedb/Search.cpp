#include "freedb/Search.h"

#include "model/Cp1252.h"
#include "model/SafeFile.h"
#include "model/Text.h"
#include "resources/Strings.h"

namespace tracklore {

namespace {

bool KeptAsIs(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_' || c == '.';
}

}  // namespace

std::string UrlEncode(std::string_view text) {
    static constexpr char Hex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(text.size() * 3);
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (KeptAsIs(byte)) {
            encoded += c;
        } else if (byte == ' ') {
            encoded += '+';
        } else {
            encoded += '%';
            encoded += Hex[byte >> 4];
            encoded += Hex[byte & 0x0F];
        }
    }
    return encoded;
}

bool WordsMatch(std::string_view title, std::string_view words) {
    const std::string upperTitle = ToUpperAscii(Trim(title));
    const std::string list = Trim(words) + " ";
    std::size_t pos = 0;
    while (pos < list.size()) {
        std::size_t blank = list.find(' ', pos);
        std::string_view word = std::string_view(list).substr(pos, blank - pos);
        if (!word.empty() && upperTitle.find(ToUpperAscii(word)) == std::string::npos) {
            return false;
        }
        pos = blank + 1;
    }
    return true;
}

SearchMarkers LoadSearchMarkers(const StringTable& strings) {
    return {std::string(strings.Text(str::SearchCategoryMarker)),
            std::string(strings.Text(str::SearchIdMarker)),
            std::string(strings.Text(str::SearchTitleMarker)),
            std::string(strings.Text(str::SearchEndMarker))};
}

std::optional<SearchEntry> ParseResultLine(std::string_view line, const SearchMarkers& markers) {
    // Each marker is looked for from where the one before it begins; a marker that is
    // missing, or that would overlap the one before, means the line holds no link.
    const std::size_t category = line.find(markers.category);
    if (category == std::string_view::npos) {
        return std::nullopt;
    }
    const std::size_t id = line.find(markers.id, category);
    if (id == std::string_view::npos || id < category + markers.category.size()) {
        return std::nullopt;
    }
    const std::size_t title = line.find(markers.title, id);
    if (title == std::string_view::npos || title < id + markers.id.size()) {
        return std::nullopt;
    }
    const std::size_t end = line.find(markers.end, title);
    if (end == std::string_view::npos || end < title + markers.title.size()) {
        return std::nullopt;
    }
    auto between = [&](std::size_t from, std::size_t to) {
        return std::string(line.substr(from, to - from));
    };
    return SearchEntry{between(category + markers.category.size(), id),
                       between(id + markers.id.size(), title),
                       between(title + markers.title.size(), end)};
}

std::string SearchAddressFormat(const StringTable& strings, std::string_view endpoint) {
    if (endpoint.empty()) {
        return std::string(strings.Text(str::SearchAddressTemplate));
    }
    if (endpoint.back() == '/') {
        endpoint.remove_suffix(1);
    }
    // The endpoint is a literal part of the format: a "%" in it stays a "%".
    std::string format;
    for (char c : endpoint) {
        format += c;
        if (c == '%') {
            format += '%';
        }
    }
    return format + "/search/%s";
}

std::string SearchAddress(std::string_view format, std::string_view words) {
    return FormatText(format, {UrlEncode(words)});
}

SearchOutcome SearchDatabase(std::string_view words, const SearchOptions& options,
                             const StringTable& strings, const JobContext& job) {
    SearchOutcome outcome;
    SearchResults& results = outcome.results;
    const std::string format =
        options.addressFormat.empty() ? SearchAddressFormat(strings) : options.addressFormat;
    const std::string address = SearchAddress(format, words);
    const SearchMarkers markers = LoadSearchMarkers(strings);

    TemporaryFile temp("html", options.tempFolder);
    outcome.tempPath = temp.path();
    if (!temp.ok()) {
        outcome.status = SearchStatus::TempFailed;
        return outcome;
    }
    if (!DownloadToFile(address, temp.path(), &job.CancelFlag(), options.limits)) {
        outcome.status = job.Cancelled() ? SearchStatus::Cancelled : SearchStatus::DownloadFailed;
        return outcome;
    }
    std::string bytes;
    if (!ReadWholeFile(temp.path(), bytes)) {
        outcome.status = SearchStatus::TempFailed;
        return outcome;
    }
    const std::string page = DecodeText(bytes, options.legacyCodePage).text;
    ForEachLine(page, std::string_view::npos, [&](std::string_view line) {
        std::optional<SearchEntry> entry = ParseResultLine(line, markers);
        if (entry && WordsMatch(entry->title, words)) {
            results.entries.push_back(std::move(*entry));
        }
        // Once the table is full, every later link would be dropped: stop reading.
        return results.entries.size() < MaxSearchResults;
    });
    results.messageLine = results.entries.empty() ? str::SearchNothingFound : StringId::None;
    outcome.status = SearchStatus::Done;
    return outcome;
}

std::string SearchStatusText(const SearchResults& results, std::size_t index,
                             const StringTable& strings) {
    if (index >= results.entries.size()) {
        return {};
    }
    const SearchEntry& entry = results.entries[index];
    return strings.Format(str::SearchStatusFormat, {static_cast<long long>(index) + 1,
                                                    static_cast<long long>(results.entries.size()),
                                                    entry.category, entry.discId});
}

std::optional<FetchRequest> SearchEntryRequest(const SearchResults& results, std::size_t index) {
    if (index >= results.entries.size()) {
        return std::nullopt;
    }
    return ValidateFetchRequest(results.entries[index].category, results.entries[index].discId);
}

}  // namespace tracklore
