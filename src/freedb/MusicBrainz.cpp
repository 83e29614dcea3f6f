#include "freedb/MusicBrainz.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <nlohmann/json.hpp>
#include <thread>

#include "freedb/DatabaseHttp.h"
#include "freedb/Search.h"
#include "freedb/Sha1.h"
#include "model/Cp1252.h"
#include "model/Text.h"

namespace tracklore {

namespace {

using Json = nlohmann::json;
using Clock = std::chrono::steady_clock;

// How often a wait looks at the cancel flag.
constexpr auto WaitStep = std::chrono::milliseconds(20);

// Waits until `until`, looking at the cancel flag; false when it was set.
bool WaitUntil(Clock::time_point until, const std::atomic<bool>* cancel) {
    while (Clock::now() < until) {
        if (cancel != nullptr && cancel->load()) {
            return false;
        }
        std::this_thread::sleep_for(std::min<Clock::duration>(WaitStep, until - Clock::now()));
    }
    return cancel == nullptr || !cancel->load();
}

// MusicBrainz allows one request per second from a client: every thread of the process takes
// its turn here. The time of the last request is the one state the process must share.
bool WaitForTurn(std::chrono::milliseconds gap, const std::atomic<bool>* cancel) {
    static std::mutex mutex;
    static Clock::time_point last{};
    std::lock_guard lock(mutex);
    if (last != Clock::time_point{} && !WaitUntil(last + gap, cancel)) {
        return false;
    }
    last = Clock::now();
    return true;
}

std::string Base64ForDiscId(const std::array<std::uint8_t, 20>& bytes) {
    static constexpr char Alphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789._";
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::uint32_t b0 = bytes[i];
        const std::uint32_t b1 = i + 1 < bytes.size() ? bytes[i + 1] : 0;
        const std::uint32_t b2 = i + 2 < bytes.size() ? bytes[i + 2] : 0;
        const std::uint32_t triple = (b0 << 16) | (b1 << 8) | b2;
        text += Alphabet[(triple >> 18) & 63];
        text += Alphabet[(triple >> 12) & 63];
        text += i + 1 < bytes.size() ? Alphabet[(triple >> 6) & 63] : '-';
        text += i + 2 < bytes.size() ? Alphabet[triple & 63] : '-';
    }
    return text;
}

std::string Base(const DatabaseClient& client) {
    std::string base = client.musicBrainzAddress;
    if (base.empty() || base.back() != '/') {
        base += '/';
    }
    return base;
}

const char* const Includes = "&cdstubs=no&inc=artist-credits+recordings&fmt=json";

std::string TextOf(const Json& object, const char* key) {
    if (!object.is_object()) {
        return {};
    }
    auto it = object.find(key);
    return it != object.end() && it->is_string() ? it->get<std::string>() : std::string();
}

// "Name1 & Name2": the names of an artist credit with their join phrases.
std::string CreditText(const Json& object) {
    if (!object.is_object()) {
        return {};
    }
    auto it = object.find("artist-credit");
    if (it == object.end() || !it->is_array()) {
        return {};
    }
    std::string text;
    for (const Json& credit : *it) {
        text += TextOf(credit, "name") + TextOf(credit, "joinphrase");
    }
    return text;
}

// The genre with the most votes, when the answer names any.
std::string GenreOf(const Json& release) {
    auto it = release.find("genres");
    if (it == release.end() || !it->is_array()) {
        return {};
    }
    std::string best;
    long bestCount = -1;
    for (const Json& genre : *it) {
        const long count =
            genre.is_object() && genre.contains("count") && genre["count"].is_number_integer()
                ? genre["count"].get<long>()
                : 0;
        if (count > bestCount && !TextOf(genre, "name").empty()) {
            best = TextOf(genre, "name");
            bestCount = count;
        }
    }
    return best;
}

bool MediumHoldsDisc(const Json& medium, std::string_view discId) {
    auto discs = medium.find("discs");
    if (discId.empty() || discs == medium.end() || !discs->is_array()) {
        return false;
    }
    return std::any_of(discs->begin(), discs->end(),
                       [&](const Json& disc) { return TextOf(disc, "id") == discId; });
}

int TrackCountOf(const Json& medium) {
    auto tracks = medium.find("tracks");
    if (tracks != medium.end() && tracks->is_array()) {
        return static_cast<int>(tracks->size());
    }
    auto count = medium.find("track-count");
    return count != medium.end() && count->is_number_integer() ? count->get<int>() : 0;
}

// The medium of a release that holds the disc: the one with the disc ID, else the one whose
// track count is nearest the list's (the first of equals).
const Json* ChooseMedium(const Json& release, std::string_view discId, int trackCount) {
    auto media = release.find("media");
    if (media == release.end() || !media->is_array() || media->empty()) {
        return nullptr;
    }
    const Json* best = nullptr;
    int bestDistance = 0;
    for (const Json& medium : *media) {
        if (!medium.is_object()) {
            continue;
        }
        if (MediumHoldsDisc(medium, discId)) {
            return &medium;
        }
        const int distance = std::abs(TrackCountOf(medium) - trackCount);
        if (best == nullptr || distance < bestDistance) {
            best = &medium;
            bestDistance = distance;
        }
    }
    return best;
}

std::optional<Json> ParseJson(std::string_view text) {
    Json json = Json::parse(text.begin(), text.end(), nullptr, false);
    if (json.is_discarded()) {
        return std::nullopt;
    }
    return json;
}

// One request under the rate limit; a 503 is asked again once after its Retry-After.
struct Exchange {
    DatabaseProblem problem;
    long status = 0;
    std::string body;
};
Exchange Ask(const std::string& address, const DatabaseClient& client,
             const std::atomic<bool>* cancel) {
    Exchange exchange;
    exchange.problem.source = DatabaseSource::MusicBrainz;
    HttpRequest request;
    request.address = address;
    request.limits = client.limits;
    request.userAgent = MusicBrainzUserAgent(client);
    request.headers.emplace_back("Accept", "application/json");
    HttpAnswer answer;
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!WaitForTurn(client.musicBrainzGap, cancel)) {
            exchange.problem.status = DatabaseStatus::Cancelled;
            return exchange;
        }
        answer = HttpGet(request, cancel);
        if (answer.outcome != HttpOutcome::Answered || answer.status != 503 || attempt == 1) {
            break;
        }
        const auto wait = std::min<std::chrono::milliseconds>(
            std::chrono::seconds(answer.retryAfterSeconds.value_or(1)), client.maxRetryWait);
        if (!WaitUntil(Clock::now() + wait, cancel)) {
            exchange.problem.status = DatabaseStatus::Cancelled;
            return exchange;
        }
    }
    if (answer.outcome != HttpOutcome::Answered) {
        exchange.problem = ProblemOfFailedRequest(DatabaseSource::MusicBrainz, answer.outcome);
        return exchange;
    }
    exchange.status = answer.status;
    exchange.body = IsValidUtf8(answer.body) ? answer.body : Cp1252ToUtf8(answer.body);
    if (answer.status >= 400 && answer.status != 404) {
        // The web service names the trouble in an "error" member; a proxy sends a page.
        std::optional<Json> json = ParseJson(exchange.body);
        std::string text = json ? TextOf(*json, "error") : std::string();
        exchange.problem.status = DatabaseStatus::Refused;
        exchange.problem.serverText =
            std::to_string(answer.status) + " " + (text.empty() ? FirstLine(exchange.body) : text);
    }
    return exchange;
}

Candidate CandidateOfRelease(const Json& release, std::string_view discId, int trackCount) {
    Candidate candidate;
    candidate.source = DatabaseSource::MusicBrainz;
    candidate.id = TextOf(release, "id");
    candidate.artist = CreditText(release);
    candidate.title = TextOf(release, "title");
    candidate.year = TextOf(release, "date").substr(0, 4);
    candidate.genre = GenreOf(release);
    const Json* medium = ChooseMedium(release, discId, trackCount);
    if (medium != nullptr) {
        if (MediumHoldsDisc(*medium, discId)) {
            candidate.discId = discId;
        }
        auto tracks = medium->find("tracks");
        if (tracks != medium->end() && tracks->is_array()) {
            for (const Json& track : *tracks) {
                std::string performer = CreditText(track);
                if (performer == candidate.artist) {
                    performer.clear();
                }
                std::string title = TextOf(track, "title");
                if (title.empty()) {
                    title = TextOf(track.value("recording", Json::object()), "title");
                }
                candidate.tracks.push_back({std::move(title), std::move(performer)});
            }
        }
    }
    return candidate;
}

}  // namespace

std::string MusicBrainzDiscId(const DiscToc& toc) {
    char piece[16];
    std::string text;
    std::snprintf(piece, sizeof piece, "%02X", static_cast<unsigned>(toc.firstTrack));
    text += piece;
    std::snprintf(piece, sizeof piece, "%02X", static_cast<unsigned>(toc.LastTrack()));
    text += piece;
    for (int i = 0; i < 100; ++i) {
        std::int32_t offset = 0;
        if (i == 0) {
            offset = toc.leadout;
        } else if (static_cast<std::size_t>(i - 1) < toc.offsets.size()) {
            offset = toc.offsets[static_cast<std::size_t>(i - 1)];
        }
        std::snprintf(piece, sizeof piece, "%08X", static_cast<unsigned>(offset));
        text += piece;
    }
    return Base64ForDiscId(Sha1(text));
}

std::string MusicBrainzTocParameter(const DiscToc& toc) {
    std::string text = std::to_string(toc.firstTrack) + "+" + std::to_string(toc.LastTrack()) +
                       "+" + std::to_string(toc.leadout);
    for (std::int32_t offset : toc.offsets) {
        text += "+" + std::to_string(offset);
    }
    return text;
}

std::string MusicBrainzDiscIdAddress(const DatabaseClient& client, const DiscToc& toc) {
    return Base(client) + "discid/" + MusicBrainzDiscId(toc) +
           "?toc=" + MusicBrainzTocParameter(toc) + Includes;
}

std::string MusicBrainzFuzzyAddress(const DatabaseClient& client, const DiscToc& toc) {
    return Base(client) + "discid/-?toc=" + MusicBrainzTocParameter(toc) + Includes;
}

std::string MusicBrainzSearchAddress(const DatabaseClient& client, const SearchWords& words) {
    // The search syntax of the web service: fields, quoted phrases, AND.
    auto phrase = [](const std::string& text) {
        std::string quoted = "\"";
        for (char c : text) {
            if (c == '"' || c == '\\') {
                quoted += '\\';
            }
            quoted += c;
        }
        return quoted + "\"";
    };
    std::string query;
    if (!words.artist.empty() && !words.album.empty()) {
        query = "artist:" + phrase(words.artist) + " AND release:" + phrase(words.album);
    } else if (!words.album.empty()) {
        query = "release:" + phrase(words.album);
    } else {
        query = words.artist;  // free words: artist, title and more
    }
    return Base(client) + "release/?query=" + UrlEncode(query) + "&fmt=json&limit=25";
}

std::string MusicBrainzUserAgent(const DatabaseClient& client) {
    std::string contact;
    for (char c : client.email) {
        if (c != '\r' && c != '\n') {
            contact += c;
        }
    }
    return "Tracklore/" + ClientVersion(client) + " ( " + contact + " )";
}

namespace {

// The "releases" array of an answer, or nothing.
const Json* ReleasesOf(const Json& answer) {
    if (!answer.is_object()) {
        return nullptr;
    }
    auto releases = answer.find("releases");
    return releases != answer.end() && releases->is_array() ? &*releases : nullptr;
}

std::vector<Candidate> CandidatesOf(const Json& answer, TocMatch match, std::string_view discId,
                                    int trackCount) {
    std::vector<Candidate> candidates;
    const Json* releases = ReleasesOf(answer);
    if (!releases) {
        return candidates;
    }
    for (const Json& release : *releases) {
        if (!release.is_object() || TextOf(release, "id").empty()) {
            continue;
        }
        Candidate candidate = CandidateOfRelease(release, discId, trackCount);
        // The discid form answers with the TOC matches when it does not know the ID.
        candidate.match = candidate.discId.empty() ? TocMatch::Fuzzy : match;
        candidate.trackCountDifference = candidate.TrackCount() - trackCount;
        candidates.push_back(std::move(candidate));
    }
    return candidates;
}

std::vector<DatabaseHit> HitsOf(const Json& answer) {
    std::vector<DatabaseHit> hits;
    const Json* releases = ReleasesOf(answer);
    if (!releases) {
        return hits;
    }
    for (const Json& release : *releases) {
        const std::string id = TextOf(release, "id");
        if (id.empty()) {
            continue;
        }
        hits.push_back({DatabaseSource::MusicBrainz, id, "-",
                        CreditText(release) + " / " + TextOf(release, "title")});
    }
    return hits;
}

}  // namespace

std::vector<Candidate> ParseMusicBrainzReleases(std::string_view json, TocMatch match,
                                                std::string_view discId, int trackCount) {
    const std::optional<Json> answer = ParseJson(json);
    return answer ? CandidatesOf(*answer, match, discId, trackCount) : std::vector<Candidate>{};
}

std::vector<DatabaseHit> ParseMusicBrainzSearch(std::string_view json) {
    const std::optional<Json> answer = ParseJson(json);
    return answer ? HitsOf(*answer) : std::vector<DatabaseHit>{};
}

namespace {
// The JSON object of an answer. Nothing for an answer that did not come or is not understood
// (`problem` says which) and for 404, "not found" (`problem` stays Done).
std::optional<Json> ObjectOfAnswer(const Exchange& exchange, DatabaseProblem& problem) {
    if (exchange.problem.status != DatabaseStatus::Done) {
        problem = exchange.problem;
        return std::nullopt;
    }
    if (exchange.status == 404) {
        return std::nullopt;
    }
    std::optional<Json> json = ParseJson(exchange.body);
    if (!json || !json->is_object()) {
        problem.status = DatabaseStatus::BadReply;
        problem.serverText = FirstLine(exchange.body);
        return std::nullopt;
    }
    return json;
}

// Reads one look-up answer: found, not found (404: nothing) or not understood.
bool ReadLookupAnswer(const Exchange& exchange, TocMatch match, std::string_view discId,
                      int trackCount, LookupResult& result) {
    const std::optional<Json> answer = ObjectOfAnswer(exchange, result.problem);
    if (!answer) {
        return result.problem.status == DatabaseStatus::Done;
    }
    for (Candidate& candidate : CandidatesOf(*answer, match, discId, trackCount)) {
        const bool known = std::any_of(result.candidates.begin(), result.candidates.end(),
                                       [&](const Candidate& c) { return c.id == candidate.id; });
        if (!known) {
            result.candidates.push_back(std::move(candidate));
        }
    }
    return true;
}
}  // namespace

LookupResult MusicBrainzLookup(const DiscToc& toc, const DatabaseClient& client,
                               const std::atomic<bool>* cancel) {
    LookupResult result;
    result.problem.source = DatabaseSource::MusicBrainz;
    const int trackCount = static_cast<int>(toc.offsets.size());
    // A lead-out known only in whole seconds hardly ever gives the disc's own ID: only the
    // TOC form can find such a disc.
    if (toc.leadoutExact) {
        const std::string discId = MusicBrainzDiscId(toc);
        if (!ReadLookupAnswer(Ask(MusicBrainzDiscIdAddress(client, toc), client, cancel),
                              TocMatch::DiscId, discId, trackCount, result)) {
            return result;
        }
    }
    ReadLookupAnswer(Ask(MusicBrainzFuzzyAddress(client, toc), client, cancel), TocMatch::Fuzzy, {},
                     trackCount, result);
    return result;
}

std::string MusicBrainzReleaseAddress(const DatabaseClient& client, std::string_view releaseId) {
    return Base(client) + "release/" + UrlEncode(releaseId) +
           "?inc=artist-credits+recordings+genres&fmt=json";
}

LookupResult MusicBrainzRelease(std::string_view releaseId, int trackCount,
                                const DatabaseClient& client, const std::atomic<bool>* cancel) {
    LookupResult result;
    result.problem.source = DatabaseSource::MusicBrainz;
    const Exchange exchange = Ask(MusicBrainzReleaseAddress(client, releaseId), client, cancel);
    const std::optional<Json> release = ObjectOfAnswer(exchange, result.problem);
    if (!release) {
        return result;
    }
    if (TextOf(*release, "id").empty()) {
        result.problem.status = DatabaseStatus::BadReply;
        result.problem.serverText = FirstLine(exchange.body);
        return result;
    }
    Candidate candidate = CandidateOfRelease(*release, {}, trackCount);
    candidate.match = TocMatch::Fuzzy;
    candidate.trackCountDifference = candidate.TrackCount() - trackCount;
    result.candidates.push_back(std::move(candidate));
    return result;
}

SearchResult MusicBrainzSearch(const SearchWords& words, const DatabaseClient& client,
                               const std::atomic<bool>* cancel) {
    SearchResult result;
    result.problem.source = DatabaseSource::MusicBrainz;
    const Exchange exchange = Ask(MusicBrainzSearchAddress(client, words), client, cancel);
    if (const std::optional<Json> answer = ObjectOfAnswer(exchange, result.problem)) {
        result.hits = HitsOf(*answer);
    }
    return result;
}

}  // namespace tracklore
