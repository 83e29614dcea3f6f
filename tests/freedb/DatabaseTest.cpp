#include <gtest/gtest.h>

#include <chrono>
#include <nlohmann/json.hpp>
#include <thread>

#include "flows/LookupFlow.h"
#include "freedb/Cddb.h"
#include "freedb/MusicBrainz.h"
#include "support/LocalHttpServer.h"
#include "support/RunCommand.h"
#include "support/TestSupport.h"

namespace tracklore {
namespace {

using test::HttpReply;
using test::LocalHttpServer;
using Json = nlohmann::json;
using Clock = std::chrono::steady_clock;

// Real discs with their published IDs. Offsets are absolute frames, the lead-out first.
// - "Don't Give Me Names": the test suite of python-discid (test/test_discid.py).
// - The 11-track disc: Picard's test suite (test/test_disc.py) and the documentation of
//   DiscId::put in rust-discid, which asserts its ID.
// - "Smash" and "Sympathique": gst-plugins-base, tests/check/libs/audiocdsrc.c (sector ranges
//   there; offsets here are their first sectors + 150, the lead-out the last sector + 151).
struct PublishedDisc {
    std::vector<std::int32_t> toc;  // lead-out, then the track offsets
    const char* musicBrainzId;
    const char* cddbId;  // "" where the source gives none
};
const std::vector<PublishedDisc> Discs = {
    {{258725, 150, 17510, 33275, 45910, 57805, 78310, 94650, 109580, 132010, 149160, 165115, 177710,
      203325, 215555, 235590},
     "TqvKjMu7dMliSfmVEBtrL7sBSno-",
     "b60d770f"},
    {{242457, 150, 44942, 61305, 72755, 96360, 130485, 147315, 164275, 190702, 205412, 220437},
     "lSOVc5h6IXSuzcamJS1Gp4_tRuA-",
     ""},
    {{210523, 150, 2075, 13098, 29890, 47353, 63285, 78105, 92940, 112278, 124523, 133725, 143635,
      149430, 162508},
     "ahg7JUcfR3vCYBphSDIogOOWrr0-",
     "c20af40e"},
    {{213796, 150, 21818, 49727, 62548, 81238, 106746, 122163, 138620, 157457, 179786, 203824},
     "iP0DOLdr4vt_IfKSIXoRUR.q_Wc-",
     "a00b200b"},
};

DiscToc TocOf(const PublishedDisc& disc, bool exact) {
    DiscToc toc;
    toc.leadout = exact ? disc.toc[0] : disc.toc[0] / 75 * 75;
    toc.leadoutExact = exact;
    toc.offsets.assign(disc.toc.begin() + 1, disc.toc.end());
    return toc;
}

// A document as an XMCD record gives it: the starts and the length in whole seconds.
TrackList ListOf(const PublishedDisc& disc) {
    TrackList list;
    list.trackCount = static_cast<int>(disc.toc.size()) - 1;
    for (int k = 0; k < list.trackCount; ++k) {
        list.tracks[k].start = disc.toc[static_cast<std::size_t>(k) + 1];
        list.tracks[k].title = "Track " + std::to_string(k + 1);
    }
    list.cd.totalSeconds = disc.toc[0] / 75;
    return list;
}

TEST(DiscIds, MusicBrainzAndCddbIdsEqualThePublishedOnes) {
    for (const auto& disc : Discs) {
        EXPECT_EQ(MusicBrainzDiscId(TocOf(disc, true)), disc.musicBrainzId);
        const TrackList list = ListOf(disc);
        if (*disc.cddbId != 0) {
            const std::string query = CddbQueryCommand(list).value_or("");
            EXPECT_EQ(query.substr(0, 19), std::string("cddb query ") + disc.cddbId) << query;
        }
        // A document's lead-out in whole seconds goes to the TOC form unchanged.
        const std::optional<DiscToc> toc = TocOfTrackList(list);
        ASSERT_TRUE(toc);
        EXPECT_FALSE(toc->leadoutExact);
        EXPECT_EQ(toc->leadout, disc.toc[0] / 75 * 75);
    }
}

// A gnudb record with UTF-8 texts and `tracks` tracks.
std::string Record(const std::string& album, int tracks) {
    std::string record = "# xmcd\n#\n# Track frame offsets:\n";
    for (int k = 0; k < tracks; ++k) {
        record += "#\t" + std::to_string(150 + 15000 * k) + "\n";
    }
    record += "#\n# Disc length: 3449 seconds\n#\nDISCID=b60d770f\nDTITLE=Guano Apes / " + album +
              "\nDYEAR=2000\nDGENRE=Rock\n";
    for (int k = 0; k < tracks; ++k) {
        record += "TTITLE" + std::to_string(k) + "=Lied " + std::to_string(k + 1) +
                  " \xC3\xBC\x62\x65r Gr\xC3\xB6\xC3\x9F\x65\n";
    }
    return record + "EXTD=\nPLAYORDER=\n";
}

std::string CddbReplyText(const std::string& status, const std::string& body = "") {
    return status + "\r\n" + body + (body.empty() ? "" : ".\r\n");
}

struct DatabaseFixture {
    LocalHttpServer server;
    DatabaseClient client;
    TrackList list = ListOf(Discs[0]);
    std::atomic<bool> cancel{false};

    DatabaseFixture() {
        client.cddbAddress = server.Url("/~cddb/cddb.cgi");
        client.musicBrainzAddress = server.Url("/ws/2");
        client.email = "tester@example.org";
        client.clientVersion = "9.9";
        client.musicBrainzGap = std::chrono::milliseconds(10);
        client.limits.totalTimeoutMs = 10000;
    }
    std::string Target(const std::string& address) const {
        return address.substr(server.Url().size());
    }
    std::string Cddb(const std::string& command) const {
        return Target(CddbRequestAddress(client, command));
    }
};

TEST(GnudbProtocol, QueryReadAndSearchAnswers) {
    const std::string query = *CddbQueryCommand(ListOf(Discs[0]));
    struct Case {
        const char* name;
        std::string queryReply;
        std::vector<std::pair<std::string, std::string>> reads;  // command, reply
        std::vector<std::string> albums;
        TocMatch match;
        DatabaseStatus status;
        std::string serverText;
    };
    const std::vector<Case> cases = {
        {"one match",
         "200 rock b60d770f Guano Apes / Names",
         {{"cddb read rock b60d770f", CddbReplyText("210 rock b60d770f", Record("Names", 15))}},
         {"Names"},
         TocMatch::DiscId,
         DatabaseStatus::Done,
         ""},
        {"several inexact",
         CddbReplyText("211 close matches found",
                       "rock b60d770f Guano Apes / Names\r\nmisc b60d7710 Guano Apes / Live\r\n"),
         {{"cddb read rock b60d770f", CddbReplyText("210 rock b60d770f", Record("Names", 15))},
          {"cddb read misc b60d7710", CddbReplyText("210 misc b60d7710", Record("Live", 16))}},
         {"Names", "Live"},
         TocMatch::Fuzzy,
         DatabaseStatus::Done,
         ""},
        {"none",
         CddbReplyText("202 No match found"),
         {},
         {},
         TocMatch::DiscId,
         DatabaseStatus::Done,
         ""},
        {"refused",
         CddbReplyText("500 Unknown developer email"),
         {},
         {},
         TocMatch::DiscId,
         DatabaseStatus::Refused,
         "500 Unknown developer email"},
        {"read refused",
         "200 rock b60d770f Guano Apes / Names",
         {{"cddb read rock b60d770f", CddbReplyText("401 rock b60d770f No such CD entry.")}},
         {},
         TocMatch::DiscId,
         DatabaseStatus::Refused,
         "401 rock b60d770f No such CD entry."},
        {"not the protocol",
         "<html>Maintenance</html>",
         {},
         {},
         TocMatch::DiscId,
         DatabaseStatus::BadReply,
         "<html>Maintenance</html>"},
        {"list cut off",
         "211 close matches found\r\nrock b60d770f A / B\r\n",
         {},
         {},
         TocMatch::DiscId,
         DatabaseStatus::BadReply,
         "211 close matches found"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DatabaseFixture f;
        f.server.Serve(f.Cddb(query), HttpReply::Ok(c.queryReply));
        for (const auto& [command, reply] : c.reads) {
            f.server.Serve(f.Cddb(command), HttpReply::Ok(reply));
        }
        const LookupResult result = CddbLookup(f.list, f.client, &f.cancel);
        EXPECT_EQ(result.problem.status, c.status);
        EXPECT_EQ(result.problem.serverText, c.serverText);
        ASSERT_EQ(result.candidates.size(), c.albums.size());
        for (std::size_t i = 0; i < c.albums.size(); ++i) {
            const Candidate& candidate = result.candidates[i];
            EXPECT_EQ(candidate.title, c.albums[i]);
            EXPECT_EQ(candidate.artist, "Guano Apes");
            EXPECT_EQ(candidate.match, c.match);
            EXPECT_EQ(candidate.tracks.at(1).title, "Lied 2 \u00fcber Gr\u00f6\u00dfe");
            EXPECT_EQ(candidate.trackCountDifference, candidate.TrackCount() - 15);
        }
    }

    // The request as the protocol spells it, with the e-mail in hello and in its header.
    DatabaseFixture f;
    f.server.Serve(f.Cddb(query), HttpReply::Ok(CddbReplyText("202 No match")));
    CddbLookup(f.list, f.client, &f.cancel);
    ASSERT_EQ(f.server.Requests().size(), 1u);
    EXPECT_EQ(f.server.Requests()[0],
              "/~cddb/cddb.cgi?cmd=cddb+query+b60d770f+15+150+17510+33275+45910+57805+78310+"
              "94650+109580+132010+149160+165115+177710+203325+215555+235590+3449"
              "&hello=tester+example.org+Tracklore+9.9&proto=6");
    const auto headers = f.server.RequestHeaders()[0];
    ASSERT_EQ(headers.count("User-Email"), 1u);
    EXPECT_EQ(headers.find("User-Email")->second, "tester@example.org");

    // A search that finds nothing.
    const SearchWords words{"Niemand", ""};
    f.server.Serve(f.Target(CddbSearchAddress(f.client, words)),
                   HttpReply::Ok(CddbReplyText("202 No match found")));
    const SearchResult none = CddbSearch(words, f.client, &f.cancel);
    EXPECT_EQ(none.problem.status, DatabaseStatus::Done);
    EXPECT_TRUE(none.hits.empty());
}

Json Release(const std::string& id, const std::string& title, int tracks,
             const std::string& discId = "") {
    Json medium = {{"position", 1}, {"format", "CD"}, {"track-count", tracks}};
    medium["discs"] = Json::array();
    if (!discId.empty()) {
        medium["discs"].push_back({{"id", discId}});
    }
    medium["tracks"] = Json::array();
    for (int k = 0; k < tracks; ++k) {
        Json track = {{"position", k + 1}, {"title", "Lied " + std::to_string(k + 1)}};
        if (k == 0) {
            track["artist-credit"] = {{{"name", "Guano Apes"}, {"joinphrase", " feat. "}},
                                      {{"name", "Gast"}, {"joinphrase", ""}}};
        }
        medium["tracks"].push_back(track);
    }
    return {{"id", id},
            {"title", title},
            {"date", "2000-03-27"},
            {"artist-credit", {{{"name", "Guano Apes"}, {"joinphrase", ""}}}},
            {"genres", {{{"name", "rock"}, {"count", 3}}, {{"name", "metal"}, {"count", 1}}}},
            {"media", {medium}}};
}

TEST(MusicBrainzService, LookupAnswersRetryAndSearch) {
    const PublishedDisc& disc = Discs[0];
    const std::string id = disc.musicBrainzId;
    struct Case {
        const char* name;
        bool exactLeadout;
        std::vector<std::pair<bool, HttpReply>> replies;  // (to the disc ID form?, answer)
        std::vector<std::string> releases;
        std::vector<TocMatch> matches;
        DatabaseStatus status;
    };
    Json found = {{"id", id}, {"releases", {Release("r1", "Names", 15, id)}}};
    Json fuzzy = {{"release-count", 2},
                  {"releases", {Release("r1", "Names", 15), Release("r2", "Names (Live)", 17)}}};
    HttpReply busy = HttpReply::Status(503, R"({"error":"Rate limited"})");
    busy.headers = {{"Retry-After", "1"}};
    const std::vector<Case> cases = {
        {"found by the disc ID, once",
         true,
         {{true, HttpReply::Ok(found.dump())}, {false, HttpReply::Ok(fuzzy.dump())}},
         {"r1", "r2"},
         {TocMatch::DiscId, TocMatch::Fuzzy},
         DatabaseStatus::Done},
        {"fuzzy TOC, several releases",
         false,
         {{false, HttpReply::Ok(fuzzy.dump())}},
         {"r1", "r2"},
         {TocMatch::Fuzzy, TocMatch::Fuzzy},
         DatabaseStatus::Done},
        {"not found",
         true,
         {{true, HttpReply::Status(404, R"({"error":"Not Found"})")},
          {false, HttpReply::Status(404, R"({"error":"Not Found"})")}},
         {},
         {},
         DatabaseStatus::Done},
        {"503 then found",
         false,
         {{false, busy}, {false, HttpReply::Ok(fuzzy.dump())}},
         {"r1", "r2"},
         {TocMatch::Fuzzy, TocMatch::Fuzzy},
         DatabaseStatus::Done},
        {"503 twice", false, {{false, busy}, {false, busy}}, {}, {}, DatabaseStatus::Refused},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DatabaseFixture f;
        const DiscToc toc = TocOf(disc, c.exactLeadout);
        for (const auto& [byId, reply] : c.replies) {
            f.server.ServeOnce(f.Target(byId ? MusicBrainzDiscIdAddress(f.client, toc)
                                             : MusicBrainzFuzzyAddress(f.client, toc)),
                               reply);
        }
        const auto start = Clock::now();
        const LookupResult result = MusicBrainzLookup(toc, f.client, &f.cancel);
        EXPECT_EQ(result.problem.status, c.status);
        ASSERT_EQ(result.candidates.size(), c.releases.size());
        for (std::size_t i = 0; i < c.releases.size(); ++i) {
            EXPECT_EQ(result.candidates[i].id, c.releases[i]);
            EXPECT_EQ(result.candidates[i].match, c.matches[i]);
        }
        EXPECT_EQ(f.server.Requests().size(), c.replies.size());
        if (c.replies.front().second.status == 503) {
            EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(900));  // Retry-After
            EXPECT_EQ(result.problem.serverText.empty(), c.status == DatabaseStatus::Done);
        }
        for (const auto& headers : f.server.RequestHeaders()) {
            ASSERT_EQ(headers.count("User-Agent"), 1u);
            EXPECT_EQ(headers.find("User-Agent")->second, "Tracklore/9.9 ( tester@example.org )");
        }
    }

    // The texts of a release: album artist, year, the genre with most votes, a guest.
    const auto candidates = ParseMusicBrainzReleases(found.dump(), TocMatch::DiscId, id, 15);
    ASSERT_EQ(candidates.size(), 1u);
    EXPECT_EQ(candidates[0].year, "2000");
    EXPECT_EQ(candidates[0].genre, "rock");
    EXPECT_EQ(candidates[0].discId, id);
    EXPECT_EQ(candidates[0].tracks[0].performer, "Guano Apes feat. Gast");
    EXPECT_EQ(candidates[0].tracks[1].performer, "");

    // The search: hits without disc ID, and none.
    DatabaseFixture f;
    const SearchWords words = SplitSearchWords("Guano Apes / Don't Give Me Names");
    EXPECT_EQ(words.artist, "Guano Apes");
    f.server.ServeOnce(f.Target(MusicBrainzSearchAddress(f.client, words)),
                       HttpReply::Ok(Json{{"releases", {Release("r1", "Names", 15)}}}.dump()));
    f.server.ServeOnce(f.Target(MusicBrainzSearchAddress(f.client, words)),
                       HttpReply::Ok(R"({"releases":[]})"));
    // Requests to the service keep its gap between them (a second unless set otherwise).
    f.client.musicBrainzGap = std::chrono::milliseconds(300);
    const auto first = Clock::now();
    const SearchResult hits = MusicBrainzSearch(words, f.client, &f.cancel);
    ASSERT_EQ(hits.hits.size(), 1u);
    EXPECT_EQ(hits.hits[0].discId, "-");
    EXPECT_EQ(hits.hits[0].artistTitle, "Guano Apes / Names");
    EXPECT_TRUE(MusicBrainzSearch(words, f.client, &f.cancel).hits.empty());
    EXPECT_GE(Clock::now() - first, std::chrono::milliseconds(300));
}

TEST(DatabaseLookup, BothSourcesGnudbFirstAndTheChoiceFillsTextsOnly) {
    DatabaseFixture f;
    f.server.Serve(f.Cddb(*CddbQueryCommand(f.list)),
                   HttpReply::Ok("200 rock b60d770f Guano Apes / Names"));
    f.server.Serve(f.Cddb("cddb read rock b60d770f"),
                   HttpReply::Ok(CddbReplyText("210 rock b60d770f", Record("Names", 15))));
    Json fuzzy = {{"releases", {Release("r2", "Names (Live)", 17)}}};
    f.server.Serve(f.Target(MusicBrainzFuzzyAddress(f.client, *TocOfTrackList(f.list))),
                   HttpReply::Ok(fuzzy.dump()));
    JobContext job(f.cancel);
    const LookupOutcome outcome = LookUpTrackList(f.list, LookupSources::Both, f.client, job);
    ASSERT_EQ(outcome.candidates.size(), 2u);
    EXPECT_TRUE(outcome.problems.empty());
    EXPECT_EQ(outcome.candidates[0].source, DatabaseSource::Gnudb);
    EXPECT_EQ(outcome.candidates[1].trackCountDifference, 2);

    // A candidate with more tracks fills the fifteen the list has; starts stay.
    test::Fixture app;
    app.doc = f.list;
    app.doc.cd.genre = "Alternative";
    const CandidateApplied applied = ApplyCandidateToDocument(app.session, outcome.candidates[1]);
    EXPECT_TRUE(applied.trackCountDiffers);
    EXPECT_EQ(applied.tracksFilled, 15);
    EXPECT_EQ(app.doc.cd.title, "Names (Live)");
    EXPECT_EQ(app.doc.cd.genre, "rock");
    EXPECT_EQ(app.doc.tracks[14].title, "Lied 15");
    EXPECT_EQ(app.doc.tracks[1].performer, "Guano Apes");
    for (int k = 0; k < 15; ++k) {
        EXPECT_EQ(app.doc.tracks[k].start, f.list.tracks[k].start);
    }
    EXPECT_TRUE(app.doc.modified);
    EXPECT_GT(app.ui.titleUpdates, 0);
    EXPECT_EQ(app.ui.MessageIds(),
              std::vector<int>{static_cast<int>(str::LookupTrackCountDiffers)});
}

TEST(DatabaseLookup, CancelEndsAStalledRequestAndARetryWaitPromptly) {
    for (bool musicBrainz : {false, true}) {
        SCOPED_TRACE(musicBrainz ? "retry wait" : "stalled answer");
        DatabaseFixture f;
        f.client.maxRetryWait = std::chrono::seconds(60);
        HttpReply busy = HttpReply::Status(503, "{}");
        busy.headers = {{"Retry-After", "60"}};
        const DiscToc toc = *TocOfTrackList(f.list);
        f.server.Serve(f.Cddb(*CddbQueryCommand(f.list)), HttpReply::Stall());
        f.server.Serve(f.Target(MusicBrainzFuzzyAddress(f.client, toc)), busy);
        std::thread canceller([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            f.cancel = true;
        });
        const auto start = Clock::now();
        const DatabaseStatus status =
            musicBrainz ? MusicBrainzLookup(toc, f.client, &f.cancel).problem.status
                        : CddbLookup(f.list, f.client, &f.cancel).problem.status;
        const auto elapsed = Clock::now() - start;
        canceller.join();
        EXPECT_EQ(status, DatabaseStatus::Cancelled);
        EXPECT_LT(elapsed, std::chrono::seconds(3));
    }
}

// The commands against local servers, with a private TMPDIR that must stay empty.
TEST(CliDatabase, LookupPicksACandidateSearchPrintsHitsAndARefusalFails) {
    DatabaseFixture f;
    f.client.clientVersion.clear();  // the program's own, as the command sends it
    test::TempDir temp;
    test::TempDir work;
    std::string document = "# xmcd\n#\n# Track frame offsets:\n";
    for (int k = 0; k < 15; ++k) {
        document += "#\t" + std::to_string(Discs[0].toc[static_cast<std::size_t>(k) + 1]) + "\n";
    }
    document += "#\n# Disc length: 3449 seconds\n#\nDISCID=b60d770f\nDTITLE=A / B\n";
    const std::string input = work.Write("names.xmcd", document);
    const std::string query = *CddbQueryCommand(f.list);
    f.server.Serve(f.Cddb(query),
                   HttpReply::Ok(CddbReplyText("211 close matches",
                                               "rock b60d770f Guano Apes / Names\r\n"
                                               "misc b60d7710 Guano Apes / Live\r\n")));
    f.server.Serve(f.Cddb("cddb read rock b60d770f"),
                   HttpReply::Ok(CddbReplyText("210 rock b60d770f", Record("Names", 15))));
    f.server.Serve(f.Cddb("cddb read misc b60d7710"),
                   HttpReply::Ok(CddbReplyText("210 misc b60d7710", Record("Live", 14))));
    f.server.Serve(
        f.Target(CddbSearchAddress(f.client, SplitSearchWords("Guano Apes / Names"))),
        HttpReply::Ok(CddbReplyText("200 Found", "rock b60d770f Guano Apes / Names\r\n")));
    f.server.Serve(f.Target(MusicBrainzSearchAddress(f.client, SplitSearchWords("Guano"))),
                   HttpReply::Ok(Json{{"releases", {Release("r1", "Names", 15)}}}.dump()));
    auto cli = [&](std::vector<std::string> args) {
        std::vector<std::string> argv = {"env", "TMPDIR=" + temp.path().string(), TRACKLORE_CLI};
        argv.insert(argv.end(), args.begin(), args.end());
        return test::RunCommand(argv);
    };
    const std::string cddb = f.client.cddbAddress;
    const std::string email = "tester@example.org";

    auto picked = cli({"lookup", input, "--source", "gnudb", "--server", cddb, "--email", email,
                       "--pick", "2", "--json"});
    ASSERT_EQ(picked.status, 0) << picked.err;
    const Json json = Json::parse(picked.out);
    EXPECT_EQ(json["title"], "Live");
    ASSERT_EQ(json["tracks"].size(), 15u);
    EXPECT_EQ(json["tracks"][13]["title"], "Lied 14 \u00fcber Gr\u00f6\u00dfe");
    EXPECT_EQ(json["tracks"][14]["title"], "");  // the candidate has one track less: said so
    EXPECT_EQ(json["tracks"][14]["start"], 235590);
    EXPECT_NE(picked.err.find("14 Track(s)"), std::string::npos) << picked.err;

    auto beyond = cli(
        {"lookup", input, "--source", "gnudb", "--server", cddb, "--email", email, "--pick", "3"});
    EXPECT_EQ(beyond.status, 1);
    EXPECT_TRUE(beyond.out.empty());

    // The refusal: the server's own words, nothing on standard output.
    DatabaseClient refusing = f.client;
    refusing.cddbAddress = f.server.Url("/refusing/cddb.cgi");
    f.server.Serve(f.Target(CddbRequestAddress(refusing, query)),
                   HttpReply::Ok("500 Unknown developer email"));
    auto refused = cli({"lookup", input, "--source", "gnudb", "--server",
                        f.server.Url("/refusing/cddb.cgi"), "--email", email});
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(refused.out.empty());
    EXPECT_NE(refused.err.find("500 Unknown developer email"), std::string::npos) << refused.err;

    auto gnudb = cli({"search", "--source", "gnudb", "--server", cddb, "--email", email, "Guano",
                      "Apes", "/", "Names"});
    ASSERT_EQ(gnudb.status, 0) << gnudb.err;
    EXPECT_EQ(gnudb.out, "gnudb\trock\tb60d770f\tGuano Apes / Names\n");
    auto musicBrainz = cli({"search", "--source", "musicbrainz", "--server",
                            f.client.musicBrainzAddress, "--email", email, "Guano"});
    ASSERT_EQ(musicBrainz.status, 0) << musicBrainz.err;
    EXPECT_EQ(musicBrainz.out, "musicbrainz\tr1\t-\tGuano Apes / Names\n");
    auto nothing = cli({"search", "--source", "musicbrainz", "--server",
                        f.client.musicBrainzAddress, "--email", email, "Unbekannt"});
    EXPECT_EQ(nothing.status, 0);
    EXPECT_TRUE(nothing.out.empty());
    EXPECT_TRUE(std::filesystem::is_empty(temp.path()));
}

}  // namespace
}  // namespace tracklore
