#include "freedb/Cddb.h"

#include <cstdio>

#include "formats/Document.h"
#include "formats/Xmcd.h"
#include "freedb/DatabaseHttp.h"
#include "freedb/Search.h"
#include "model/Text.h"

namespace tracklore {

namespace {

// More matches than this are not read: an inexact query can list dozens of discs.
constexpr std::size_t MaxReads = 10;

std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.push_back(line);
        if (end == std::string_view::npos) {
            break;
        }
        text.remove_prefix(end + 1);
    }
    return lines;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// A field of hello: blanks and "+" would shift the fields, so they become "_".
std::string HelloField(std::string_view text, std::string_view fallback) {
    std::string field(Trim(text));
    if (field.empty()) {
        field = fallback;
    }
    for (char& c : field) {
        if (c == ' ' || c == '+') {
            c = '_';
        }
    }
    return UrlEncode(field);
}

std::string HelloAndProto(const DatabaseClient& client) {
    const std::size_t at = client.email.find('@');
    const std::string_view email = client.email;
    const std::string_view user = at == std::string::npos ? email : email.substr(0, at);
    const std::string_view host = at == std::string::npos ? "" : email.substr(at + 1);
    return "&hello=" + HelloField(user, "user") + "+" + HelloField(host, "localhost") + "+" +
           HelloField(client.clientName, "Tracklore") + "+" +
           HelloField(ClientVersion(client), "1") + "&proto=6";
}

std::string WithQuery(const std::string& address) {
    return address + (address.find('?') == std::string::npos ? "?" : "&");
}

// Sends one protocol request; the reply read, or the problem that stopped it.
struct Exchange {
    DatabaseProblem problem;
    CddbReply reply;
};
Exchange Ask(const std::string& address, const DatabaseClient& client,
             const std::atomic<bool>* cancel) {
    Exchange exchange;
    exchange.problem.source = DatabaseSource::Gnudb;
    HttpRequest request;
    request.address = address;
    request.limits = client.limits;
    request.headers.emplace_back("User-Email", client.email);
    request.userAgent = "Tracklore/" + ClientVersion(client);
    const HttpAnswer answer = HttpGet(request, cancel);
    if (answer.outcome != HttpOutcome::Answered) {
        exchange.problem = ProblemOfFailedRequest(DatabaseSource::Gnudb, answer.outcome);
        return exchange;
    }
    // Level 6 answers in UTF-8; an older server's Windows-1252 is decoded as such.
    const std::string text = DecodeDocumentBytes(answer.body, DefaultLegacyCodePage).text;
    std::optional<CddbReply> reply = ParseCddbReply(text);
    if (!reply) {
        // An HTTP error page is the server's answer too: its status and first line.
        exchange.problem.status =
            answer.status >= 400 ? DatabaseStatus::Refused : DatabaseStatus::BadReply;
        exchange.problem.serverText = answer.status >= 400
                                          ? std::to_string(answer.status) + " " + FirstLine(text)
                                          : FirstLine(text);
        return exchange;
    }
    if (reply->code >= 400) {
        exchange.problem.status = DatabaseStatus::Refused;
        exchange.problem.serverText = reply->statusLine;
        return exchange;
    }
    exchange.reply = std::move(*reply);
    return exchange;
}

Candidate CandidateOfRecord(const TrackList& record, std::string_view category,
                            std::string_view discId) {
    Candidate candidate;
    candidate.source = DatabaseSource::Gnudb;
    candidate.id = category;
    candidate.discId = discId;
    candidate.artist = record.cd.artist.str();
    candidate.title = record.cd.title.str();
    candidate.year = record.cd.year.str();
    candidate.genre = record.cd.genre.str();
    for (int k = 0; k < record.trackCount; ++k) {
        candidate.tracks.push_back(
            {record.tracks[k].title.str(), record.tracks[k].performer.str()});
    }
    return candidate;
}

}  // namespace

std::optional<CddbReply> ParseCddbReply(std::string_view answer) {
    const std::vector<std::string_view> lines = Lines(answer);
    if (lines.empty()) {
        return std::nullopt;
    }
    std::string_view status = lines[0];
    if (status.size() >= 3 && status.substr(0, 3) == "\xEF\xBB\xBF") {
        status.remove_prefix(3);
    }
    if (status.size() < 3 || !IsDigit(status[0]) || !IsDigit(status[1]) || !IsDigit(status[2]) ||
        (status.size() > 3 && status[3] != ' ' && status[3] != '-')) {
        return std::nullopt;
    }
    CddbReply reply;
    reply.code = (status[0] - '0') * 100 + (status[1] - '0') * 10 + (status[2] - '0');
    reply.statusLine = std::string(status);
    std::size_t k = 1;
    for (; k < lines.size() && lines[k] != "."; ++k) {
        reply.lines.emplace_back(lines[k]);
    }
    const bool closed = k < lines.size();
    // 21x announces a list or record: without its closing "." the answer was cut.
    if (reply.code / 10 == 21 && !closed) {
        return std::nullopt;
    }
    if (!closed) {
        reply.lines.clear();  // no list announced and closed: nothing kept
    }
    return reply;
}

std::optional<std::string> CddbQueryCommand(const TrackList& list) {
    const std::optional<DiscToc> toc = TocOfTrackList(list);
    if (!toc) {
        return std::nullopt;
    }
    std::string command =
        "cddb query " + ComputeDiscId(list) + " " + std::to_string(toc->offsets.size());
    for (std::int32_t offset : toc->offsets) {
        command += " " + std::to_string(offset);
    }
    return command + " " + std::to_string(list.cd.totalSeconds);
}

std::string CddbRequestAddress(const DatabaseClient& client, std::string_view command) {
    std::string encoded;
    // Each word is encoded on its own; the blanks between them become "+".
    std::size_t i = 0;
    while (i < command.size()) {
        const std::size_t end = std::min(command.find(' ', i), command.size());
        if (end > i) {
            encoded += (encoded.empty() ? "" : "+") + UrlEncode(command.substr(i, end - i));
        }
        i = end + 1;
    }
    return WithQuery(client.cddbAddress) + "cmd=" + encoded + HelloAndProto(client);
}

std::string CddbSearchAddress(const DatabaseClient& client, const SearchWords& words) {
    return WithQuery(client.cddbAddress) + "cmd=search&artist=" + UrlEncode(words.artist) +
           "&album=" + UrlEncode(words.album) + HelloAndProto(client);
}

std::optional<CddbMatch> ParseCddbMatchLine(std::string_view line) {
    const std::size_t first = line.find(' ');
    if (first == std::string_view::npos || first == 0) {
        return std::nullopt;
    }
    const std::size_t second = line.find(' ', first + 1);
    if (second == std::string_view::npos) {
        return std::nullopt;
    }
    CddbMatch match;
    match.category = line.substr(0, first);
    match.discId = line.substr(first + 1, second - first - 1);
    match.artistTitle = Trim(line.substr(second + 1));
    if (match.discId.empty()) {
        return std::nullopt;
    }
    return match;
}

CddbRecord CddbReadRecord(std::string_view category, std::string_view discId,
                          const DatabaseClient& client, const std::atomic<bool>* cancel) {
    CddbRecord result;
    result.problem.source = DatabaseSource::Gnudb;
    const std::string command = "cddb read " + std::string(category) + " " + std::string(discId);
    Exchange exchange = Ask(CddbRequestAddress(client, command), client, cancel);
    if (exchange.problem.status != DatabaseStatus::Done) {
        result.problem = exchange.problem;
        return result;
    }
    if (exchange.reply.code != 210) {
        result.problem.status = DatabaseStatus::BadReply;
        result.problem.serverText = exchange.reply.statusLine;
        return result;
    }
    result.statusLine = exchange.reply.statusLine;
    std::string record;
    for (const auto& line : exchange.reply.lines) {
        record += line + "\n";
    }
    XmcdRead read = ParseXmcd(record);
    if (!read.recognised) {
        result.problem.status = DatabaseStatus::BadReply;
        result.problem.serverText = exchange.reply.statusLine;
        return result;
    }
    result.list = std::move(read.list);
    result.error = std::move(read.error);
    return result;
}

LookupResult CddbRead(std::string_view category, std::string_view discId,
                      const DatabaseClient& client, const std::atomic<bool>* cancel) {
    LookupResult result;
    CddbRecord record = CddbReadRecord(category, discId, client, cancel);
    result.problem = record.problem;
    if (result.problem.status != DatabaseStatus::Done) {
        return result;
    }
    if (record.error) {
        // A candidate offers texts to fill a list with: a record cut short offers too little.
        result.problem.status = DatabaseStatus::BadReply;
        result.problem.serverText = record.statusLine;
        return result;
    }
    result.candidates.push_back(CandidateOfRecord(*record.list, category, discId));
    return result;
}

LookupResult CddbLookup(const TrackList& list, const DatabaseClient& client,
                        const std::atomic<bool>* cancel) {
    LookupResult result;
    result.problem.source = DatabaseSource::Gnudb;
    const std::optional<std::string> command = CddbQueryCommand(list);
    if (!command) {
        return result;
    }
    Exchange query = Ask(CddbRequestAddress(client, *command), client, cancel);
    if (query.problem.status != DatabaseStatus::Done) {
        result.problem = query.problem;
        return result;
    }
    std::vector<CddbMatch> matches;
    TocMatch how = TocMatch::DiscId;
    switch (query.reply.code) {
        case 200:
            if (auto match = ParseCddbMatchLine(
                    std::string_view(query.reply.statusLine)
                        .substr(std::min<std::size_t>(4, query.reply.statusLine.size())))) {
                matches.push_back(*match);
            }
            break;
        case 211:
            how = TocMatch::Fuzzy;
            [[fallthrough]];
        case 210:
            for (const auto& line : query.reply.lines) {
                if (auto match = ParseCddbMatchLine(line)) {
                    matches.push_back(*match);
                }
            }
            break;
        case 202:
            return result;
        default:
            result.problem.status = DatabaseStatus::BadReply;
            result.problem.serverText = query.reply.statusLine;
            return result;
    }
    if (matches.empty()) {
        result.problem.status = DatabaseStatus::BadReply;
        result.problem.serverText = query.reply.statusLine;
        return result;
    }
    if (matches.size() > MaxReads) {
        matches.resize(MaxReads);
    }
    for (const auto& match : matches) {
        LookupResult read = CddbRead(match.category, match.discId, client, cancel);
        if (read.problem.status == DatabaseStatus::Cancelled) {
            result.problem = read.problem;
            return result;
        }
        if (read.problem.status != DatabaseStatus::Done) {
            // The first failed read is reported; the others' candidates still count.
            if (result.problem.status == DatabaseStatus::Done) {
                result.problem = read.problem;
            }
            continue;
        }
        for (Candidate& candidate : read.candidates) {
            candidate.match = how;
            candidate.trackCountDifference = candidate.TrackCount() - list.trackCount;
            result.candidates.push_back(std::move(candidate));
        }
    }
    return result;
}

SearchResult CddbSearch(const SearchWords& words, const DatabaseClient& client,
                        const std::atomic<bool>* cancel) {
    SearchResult result;
    result.problem.source = DatabaseSource::Gnudb;
    Exchange search = Ask(CddbSearchAddress(client, words), client, cancel);
    if (search.problem.status != DatabaseStatus::Done) {
        result.problem = search.problem;
        return result;
    }
    if (search.reply.code == 202) {
        return result;
    }
    if (search.reply.code / 100 != 2) {
        result.problem.status = DatabaseStatus::BadReply;
        result.problem.serverText = search.reply.statusLine;
        return result;
    }
    for (const auto& line : search.reply.lines) {
        if (auto match = ParseCddbMatchLine(line)) {
            result.hits.push_back({DatabaseSource::Gnudb, match->category,
                                   match->discId.empty() ? "-" : match->discId,
                                   match->artistTitle});
        }
    }
    return result;
}

}  // namespace tracklore
