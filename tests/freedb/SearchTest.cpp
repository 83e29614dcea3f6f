#include <gtest/gtest.h>

#include "freedb/Search.h"
#include "flows/FreeDbFlow.h"
#include "support/LocalHttpServer.h"
#include "support/TestSupport.h"

namespace tracklore {
namespace {

using test::HttpReply;
using test::LocalHttpServer;
using test::TempDir;

TEST(SearchWords, UrlEncoding) {
    EXPECT_EQ(UrlEncode("Blue Band"), "Blue+Band");
    EXPECT_EQ(UrlEncode("  Blue Band "), "++Blue+Band+");  // typed blanks are sent too
    EXPECT_EQ(UrlEncode("a\tb"), "a%09b");
    EXPECT_EQ(UrlEncode("M\xE4rz"), "M%E4rz");  // Windows-1252 bytes as they are
    EXPECT_EQ(UrlEncode("Az09-_."), "Az09-_.");
    EXPECT_EQ(UrlEncode("~/&%+=?#\""), "%7E%2F%26%25%2B%3D%3F%23%22");
    EXPECT_EQ(UrlEncode(""), "");
}

TEST(SearchWords, EveryWordMustOccurInTheTitle) {
    const std::string title = "Blue Band / Night Songs";
    EXPECT_TRUE(WordsMatch(title, "band night"));
    EXPECT_FALSE(WordsMatch(title, "band morning"));
    EXPECT_TRUE(WordsMatch(title, "song"));  // inside a longer word
    EXPECT_TRUE(WordsMatch(title, "  NIGHT   blue  "));
    EXPECT_TRUE(WordsMatch(title, "/"));
    EXPECT_FALSE(WordsMatch(title, "Band/Night"));
    EXPECT_TRUE(WordsMatch("  padded title  ", "TITLE"));
    // Letters beyond ASCII are compared exactly.
    EXPECT_TRUE(WordsMatch("\xC4rger im Revier", "\xC4RGER"));
    EXPECT_FALSE(WordsMatch("\xC4rger im Revier", "\xE4rger"));
}

TEST(SearchPage, FirstLinkOfALine) {
    const SearchMarkers markers = LoadSearchMarkers(German());
    EXPECT_EQ(markers.category, "cat=");
    EXPECT_EQ(markers.id, "&id=");
    EXPECT_EQ(markers.title, "\">");
    EXPECT_EQ(markers.end, "</a>");

    auto entry = ParseResultLine("cat=rock&id=7a0b1c2d\">Blue Band / Night Songs</a>", markers);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->category, "rock");
    EXPECT_EQ(entry->discId, "7a0b1c2d");
    EXPECT_EQ(entry->title, "Blue Band / Night Songs");

    entry = ParseResultLine(
        "<tr><td><a href=\"/cd/?cat=jazz&id=0000abcd\">First</a></td>"
        "<td><a href=\"/cd/?cat=rock&id=11112222\">Second</a></td></tr>",
        markers);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->category, "jazz");
    EXPECT_EQ(entry->title, "First");

    // Empty pieces are taken as they stand.
    entry = ParseResultLine("cat=&id=\"></a>", markers);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->category, "");
    EXPECT_EQ(entry->title, "");

    EXPECT_FALSE(ParseResultLine("", markers));
    EXPECT_FALSE(ParseResultLine("<p>no links here</p>", markers));
    EXPECT_FALSE(ParseResultLine("cat=rock&id=7a0b1c2d\">open title", markers));
    EXPECT_FALSE(ParseResultLine("CAT=rock&ID=7a0b1c2d\">Title</A>", markers));  // exact case
    // The ID marker only counts after the category marker.
    EXPECT_FALSE(ParseResultLine("&id=7a0b1c2d\">x</a> cat=rock", markers));
}

TEST(SearchPage, AddressAndStatusLine) {
    EXPECT_EQ(SearchAddress(SearchAddressFormat(German()), "Blue Band"),
              "https://gnudb.org/search/Blue+Band");
    EXPECT_EQ(SearchAddress(SearchAddressFormat(German(), "http://127.0.0.1:8080/"), "x"),
              "http://127.0.0.1:8080/search/x");
    EXPECT_EQ(SearchAddress(SearchAddressFormat(German(), "http://h/a%20b"), "x y"),
              "http://h/a%20b/search/x+y");

    SearchResults results;
    results.messageLine = StringId::None;
    results.entries = {{"rock", "7a0b1c2d", "A"}, {"jazz", "0000abcd", "B"}, {"Rock", "123", "C"}};
    EXPECT_EQ(SearchStatusText(results, 1, German()),
              "Suchergebnis: 2 von 3 / Kategorie: jazz / CD-ID: 0000abcd");
    EXPECT_EQ(SearchStatusText(results, 3, German()), "");

    // A double-click loads only a valid entry, lower-cased.
    results.entries[1].category = "JaZz";
    auto request = SearchEntryRequest(results, 1);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->category, "jazz");
    EXPECT_EQ(request->discId, "0000abcd");
    EXPECT_FALSE(SearchEntryRequest(results, 2));  // disc ID too short
    EXPECT_FALSE(SearchEntryRequest(results, 3));
}

struct SearchFixture : test::Fixture {
    LocalHttpServer server;
    TempDir temp;
    SearchOptions options;

    SearchFixture() {
        options.addressFormat = SearchAddressFormat(German(), server.Url());
        options.tempFolder = temp.path().string();
    }
    bool NoTemporaryFileLeft() const { return std::filesystem::is_empty(temp.path()); }
};

TEST(SearchRun, MatchingLinksInPageOrder) {
    SearchFixture f;
    f.server.Serve("/search/band+night",
                   HttpReply::Ok("<html>\r\n"
                                 "<a href=\"?cat=rock&id=7a0b1c2d\">Blue Band / Night Songs</a>\r\n"
                                 "<a href=\"?cat=Jazz&id=0000ABCD\">Night Band Live</a><a "
                                 "href=\"?cat=misc&id=11112222\">Band Night 2</a>\r\n"
                                 "<a href=\"?cat=rock&id=33334444\">Band in the Morning</a>\r\n"
                                 "<a href=\"?cat=folk&id=55556666\">The Nightbanders</a>\n"
                                 "</html>"));

    SearchResults results = RunSearch(f.session, "band night", f.options);
    EXPECT_TRUE(f.ui.messages.empty());
    EXPECT_EQ(Number(results.messageLine), 0);
    EXPECT_TRUE(results.ListEnabled());
    ASSERT_EQ(results.entries.size(), 3u);
    EXPECT_EQ(results.entries[0].title, "Blue Band / Night Songs");  // no CR at the end
    EXPECT_EQ(results.entries[1].category, "Jazz");
    EXPECT_EQ(results.entries[1].discId, "0000ABCD");
    EXPECT_EQ(results.entries[2].title, "The Nightbanders");
    EXPECT_EQ(f.server.Requests(), std::vector<std::string>{"/search/band+night"});
    EXPECT_TRUE(f.NoTemporaryFileLeft());
}

TEST(SearchRun, FailedDownloadAndEmptyResults) {
    SearchFixture f;
    SearchResults results = RunSearch(f.session, "unknown", f.options);  // 404
    EXPECT_EQ(f.ui.MessageIds(), std::vector<int>{Number(str::SearchFailed)});
    EXPECT_EQ(f.ui.messages[0].captionId, Number(str::ErrorCaption));
    EXPECT_EQ(Number(results.messageLine), Number(str::SearchIdle));
    EXPECT_FALSE(results.ListEnabled());
    EXPECT_TRUE(f.NoTemporaryFileLeft());

    f.server.Serve("/search/band+morning",
                   HttpReply::Ok("cat=rock&id=7a0b1c2d\">Blue Band / Night Songs</a>\n"));
    results = RunSearch(f.session, "band morning", f.options);
    EXPECT_EQ(f.ui.messages.size(), 1u);
    EXPECT_EQ(Number(results.messageLine), Number(str::SearchNothingFound));
    EXPECT_TRUE(results.entries.empty());
    EXPECT_TRUE(f.NoTemporaryFileLeft());

    // A cancelled search says nothing.
    std::atomic<bool> cancel{true};
    f.options.cancel = &cancel;
    results = RunSearch(f.session, "band morning", f.options);
    EXPECT_EQ(f.ui.messages.size(), 1u);
    EXPECT_EQ(Number(results.messageLine), Number(str::SearchIdle));
    EXPECT_TRUE(f.NoTemporaryFileLeft());
}

TEST(SearchRun, AtMostFiveThousandResults) {
    SearchFixture f;
    std::string page;
    for (int i = 0; i < 5003; ++i) {
        page += "cat=rock&id=" + std::to_string(10000000 + i) + "\">Song " + std::to_string(i) +
                "</a>\n";
    }
    f.server.Serve("/search/song", HttpReply::Ok(page));
    SearchResults results = RunSearch(f.session, "song", f.options);
    ASSERT_EQ(results.entries.size(), MaxSearchResults);
    EXPECT_EQ(results.entries.front().title, "Song 0");
    EXPECT_EQ(results.entries.back().title, "Song 4999");
    EXPECT_TRUE(f.ui.messages.empty());
}

TEST(SearchRun, UnusableTemporaryFolderIsReported) {
    SearchFixture f;
    f.options.tempFolder = f.temp.file("missing");
    SearchResults results = RunSearch(f.session, "song", f.options);
    EXPECT_EQ(f.ui.MessageIds(), std::vector<int>{Number(str::CannotOpenFile)});
    EXPECT_EQ(Number(results.messageLine), Number(str::SearchIdle));
    EXPECT_TRUE(f.server.Requests().empty());
}

}  // namespace
}  // namespace tracklore
