#include "freedb/Fetch.h"

#include "formats/Xmcd.h"
#include "model/Cp1252.h"
#include "model/SafeFile.h"
#include "model/Text.h"
#include "resources/Strings.h"

namespace tracklore {

namespace {

bool IsAsciiLetterOrDigit(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

std::string ReplaceAll(std::string text, std::string_view marker, std::string_view value) {
    std::size_t pos = 0;
    while ((pos = text.find(marker, pos)) != std::string::npos) {
        text.replace(pos, marker.size(), value);
        pos += value.size();
    }
    return text;
}

// The lines of a text with CR LF and LF ends, each without its end.
std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t lf = text.find('\n', pos);
        std::size_t end = lf == std::string_view::npos ? text.size() : lf;
        std::string_view line = text.substr(pos, end - pos);
        if (lf != std::string_view::npos && !line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.push_back(line);
        pos = lf == std::string_view::npos ? text.size() : lf + 1;
    }
    return lines;
}

// "210 rock 7a0b1c2d Artist / Title": a three-digit status, then a blank or nothing.
bool IsCddbStatusLine(std::string_view line) {
    if (line.size() < 3) {
        return false;
    }
    for (int i = 0; i < 3; ++i) {
        if (line[i] < '0' || line[i] > '9') {
            return false;
        }
    }
    return line.size() == 3 || line[3] == ' ';
}

}  // namespace

std::vector<std::string> FetchCategories(const StringTable& strings) {
    std::vector<std::string> categories;
    for (auto& piece : SplitList(strings.Text(str::FetchCategoryList))) {
        if (!piece.empty()) {
            categories.push_back(std::move(piece));
        }
    }
    return categories;
}

std::optional<FetchRequest> ValidateFetchRequest(std::string_view category,
                                                 std::string_view discId) {
    if (category.empty() || discId.size() != 8) {
        return std::nullopt;
    }
    for (char c : category) {
        if (!IsAsciiLetterOrDigit(c)) {
            return std::nullopt;
        }
    }
    for (char c : discId) {
        if (!IsHexDigit(c)) {
            return std::nullopt;
        }
    }
    return FetchRequest{ToLowerAscii(category), ToLowerAscii(discId)};
}

std::string FetchAddress(std::string_view urlTemplate, const FetchRequest& request) {
    std::string address = ReplaceAll(std::string(urlTemplate), "%x", request.category);
    return ReplaceAll(std::move(address), "%y", request.discId);
}

std::optional<std::string> RecordText(std::string_view answer) {
    std::vector<std::string_view> lines = SplitLines(answer);
    std::size_t first = 0;
    std::size_t end = lines.size();
    if (!lines.empty() && IsCddbStatusLine(SkipUtf8Bom(lines[0]))) {
        if (SkipUtf8Bom(lines[0]).substr(0, 3) != "210") {
            return std::nullopt;
        }
        // The body ends at the line that holds a single "."; without it the reply was cut.
        std::size_t dot = 1;
        while (dot < lines.size() && lines[dot] != ".") {
            ++dot;
        }
        if (dot == lines.size()) {
            return std::nullopt;
        }
        first = 1;
        end = dot;
    }
    std::string text;
    text.reserve(answer.size());
    for (std::size_t i = first; i < end; ++i) {
        text.append(lines[i]);
        text.push_back('\n');
    }
    return text;
}

bool IsXmcdText(std::string_view text) {
    return SkipUtf8Bom(text).substr(0, 6) == "# xmcd";
}

FetchOutcome FetchRecord(std::string_view urlTemplate, const FetchRequest& request,
                         const JobContext& job, const TransferOptions& options) {
    FetchOutcome outcome;
    const std::string address = FetchAddress(urlTemplate, request);
    TemporaryFile temp("xmcd", options.tempFolder);
    outcome.tempPath = temp.path();
    if (!temp.ok()) {
        outcome.status = FetchStatus::TempFailed;
        return outcome;
    }
    job.Report({-1, str::FetchLoading});
    if (!DownloadToFile(address, temp.path(), &job.CancelFlag(), options.limits)) {
        outcome.status = job.Cancelled() ? FetchStatus::Cancelled : FetchStatus::DownloadFailed;
        return outcome;
    }
    if (job.Cancelled()) {
        outcome.status = FetchStatus::Cancelled;
        return outcome;
    }
    job.Report({-1, str::FetchParsing});
    std::string answer;
    if (!ReadWholeFile(temp.path(), answer)) {
        outcome.status = FetchStatus::TempFailed;
        return outcome;
    }
    std::optional<std::string> bytes = RecordText(answer);
    if (!bytes) {
        outcome.status = FetchStatus::DownloadFailed;
        return outcome;
    }
    const std::optional<std::string> record = DecodeText(*bytes, options.legacyCodePage).text;
    // An answer that is no record at all (an error page served with a success status) must
    // not cost the user the document.
    XmcdRead read = ParseXmcd(*record);
    if (!IsXmcdText(*record) || !read.recognised) {
        outcome.status = FetchStatus::NotRecord;
        return outcome;
    }
    outcome.status = FetchStatus::Loaded;
    outcome.list = std::move(read.list);
    outcome.error = std::move(read.error);
    return outcome;
}

}  // namespace tracklore
