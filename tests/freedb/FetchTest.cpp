#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "freedb/Fetch.h"
#include "flows/FreeDbFlow.h"
#include "support/LocalHttpServer.h"
#include "support/TestSupport.h"

namespace tracklore {
namespace {

using test::HttpReply;
using test::LocalHttpServer;
using test::TempDir;

// A two-track record as the database serves it, with LF line ends.
const std::string Record =
    "# xmcd\n"
    "#\n"
    "# Track frame offsets:\n"
    "#\t150\n"
    "#\t15150\n"
    "#\n"
    "# Disc length: 400 seconds\n"
    "#\n"
    "DISCID=7a0b1c2d\n"
    "DTITLE=Blue Band / Night Songs\n"
    "DYEAR=1999\n"
    "DGENRE=Rock\n"
    "TTITLE0=Evening\n"
    "TTITLE1=Guest Star / Midnight\n"
    "EXTD=\n"
    "EXTT0=\n"
    "EXTT1=\n"
    "PLAYORDER=\n";

std::string WithCrLf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') {
            out += '\r';
        }
        out += c;
    }
    return out;
}

TEST(FetchRequest, ValidationAcceptsLettersDigitsAndEightHexDigits) {
    auto request = ValidateFetchRequest("Rock", "3A4C87B1");
    ASSERT_TRUE(request);
    EXPECT_EQ(request->category, "rock");
    EXPECT_EQ(request->discId, "3a4c87b1");

    // Not in the list, but letters and digits only.
    request = ValidateFetchRequest("Hoerspiel80", "0123abcd");
    ASSERT_TRUE(request);
    EXPECT_EQ(request->category, "hoerspiel80");

    EXPECT_FALSE(ValidateFetchRequest("rock", "3a4c87b"));    // seven digits
    EXPECT_FALSE(ValidateFetchRequest("rock", "3a4c87b12"));  // nine
    EXPECT_FALSE(ValidateFetchRequest("rock", "3a4c87g1"));   // a letter beyond F
    EXPECT_FALSE(ValidateFetchRequest("new-age", "3a4c87b1"));
    EXPECT_FALSE(ValidateFetchRequest("new age", "3a4c87b1"));
    EXPECT_FALSE(ValidateFetchRequest("", "3a4c87b1"));
    EXPECT_FALSE(ValidateFetchRequest("r\xE4\x63k", "3a4c87b1"));  // a non-ASCII letter
    EXPECT_FALSE(ValidateFetchRequest("rock", " 3a4c87b"));
}

TEST(FetchRequest, CategoriesAndAddress) {
    std::vector<std::string> categories = FetchCategories(German());
    ASSERT_EQ(categories.size(), 11u);
    EXPECT_EQ(categories.front(), "blues");
    EXPECT_EQ(categories[6], "misc");
    EXPECT_EQ(categories.back(), "soundtrack");
    EXPECT_EQ(String(Number(str::FetchDefaultCategory)), "misc");

    const FetchRequest request{"misc", "3a4c87b1"};
    EXPECT_EQ(FetchAddress(DefaultSettings().URL, request),
              "https://gnudb.org/gnudb/misc/3a4c87b1");
    EXPECT_EQ(FetchAddress("http://h/cddb.cgi?cmd=cddb+read+%x+%y&x=%x", request),
              "http://h/cddb.cgi?cmd=cddb+read+misc+3a4c87b1&x=misc");
    EXPECT_EQ(FetchAddress("http://h/fixed", request), "http://h/fixed");
    EXPECT_EQ(FetchAddress("http://h/%X/%Y", request), "http://h/%X/%Y");  // exact case
}

TEST(FetchRecordText, LineEndsAndCddbReplies) {
    EXPECT_EQ(*RecordText(WithCrLf(Record)), Record);
    EXPECT_EQ(*RecordText("# xmcd\r\nDTITLE=a\rb"), "# xmcd\nDTITLE=a\rb\n");  // lone CR kept
    EXPECT_EQ(*RecordText(""), "");

    // The body of a 210 reply, without its status and its closing line.
    EXPECT_EQ(
        *RecordText("210 rock 7a0b1c2d Blue Band / Night Songs\r\n" + WithCrLf(Record) + ".\r\n"),
        Record);
    EXPECT_EQ(*RecordText("210 rock 7a0b1c2d\n# xmcd\n.\nafter the end\n"), "# xmcd\n");
    // Other replies and cut replies give nothing.
    EXPECT_FALSE(RecordText("401 rock 7a0b1c2d No such CD entry in database.\r\n"));
    EXPECT_FALSE(RecordText("500 Command syntax error.\n"));
    EXPECT_FALSE(RecordText("210 rock 7a0b1c2d\n# xmcd\nDTITLE=a\n"));
    // Anything else is handed on as it stands.
    EXPECT_EQ(*RecordText("<html>2100 things</html>"), "<html>2100 things</html>\n");

    EXPECT_TRUE(IsXmcdText("# xmcd\n"));
    EXPECT_TRUE(IsXmcdText("\xEF\xBB\xBF# xmcd\n"));
    EXPECT_FALSE(IsXmcdText("# XMCD\n"));
    EXPECT_FALSE(IsXmcdText(" # xmcd\n"));
}

// A session whose document already holds the user's work, a local server and a private
// temporary folder for the transfer.
struct TransferFixture : test::Fixture {
    LocalHttpServer server;
    TempDir temp;
    TransferFlags flags;
    std::vector<int> statuses;
    TransferOptions options;

    TransferFixture() {
        settings.URL = server.Url("/gnudb/%x/%y");
        options.tempFolder = temp.path().string();
        doc.cd.title = "Mine";
        doc.trackCount = 1;
        doc.tracks[0].start = 150;
        doc.tracks[0].title = "Keep me";
        doc.modified = false;
    }

    bool Run(const std::string& category = "Rock", const std::string& discId = "7A0B1C2D") {
        auto request = ValidateFetchRequest(category, discId);
        EXPECT_TRUE(request);
        return RunTransferWorker(
            session, *request, flags, [this](StringId id) { statuses.push_back(Number(id)); },
            options);
    }

    bool DocumentUntouched() const {
        return doc.cd.title == "Mine" && doc.trackCount == 1 && doc.tracks[0].title == "Keep me" &&
               !doc.modified && ui.refreshCount == 0;
    }
    bool NoTemporaryFileLeft() const { return std::filesystem::is_empty(temp.path()); }
};

TEST(FetchTransfer, RecordWithCrLfEndsIsLoadedInLowerCase) {
    TransferFixture f;
    f.server.Serve("/gnudb/rock/7a0b1c2d", HttpReply::Ok(WithCrLf(Record)));

    EXPECT_TRUE(f.Run());
    EXPECT_TRUE(f.flags.loaded);
    EXPECT_EQ(f.server.Requests(), std::vector<std::string>{"/gnudb/rock/7a0b1c2d"});
    EXPECT_TRUE(f.ui.messages.empty());
    EXPECT_EQ(f.statuses, (std::vector<int>{Number(str::FetchLoading), Number(str::FetchParsing)}));
    EXPECT_EQ(f.doc.trackCount, 2);
    EXPECT_EQ(f.doc.cd.title, "Night Songs");
    EXPECT_EQ(f.doc.cd.artist, "Blue Band");
    EXPECT_EQ(f.doc.cd.genre, "Rock");
    EXPECT_EQ(f.doc.cd.totalSeconds, 400);
    EXPECT_EQ(f.doc.tracks[1].start, 15150);
    EXPECT_EQ(f.doc.tracks[1].title, "Midnight");
    EXPECT_EQ(f.doc.tracks[1].performer, "Guest Star");
    EXPECT_EQ(f.doc.cd.year, "1999");  // no CR left at a line's end
    EXPECT_TRUE(f.doc.modified);
    EXPECT_EQ(f.ui.refreshCount, 1);
    EXPECT_TRUE(f.NoTemporaryFileLeft());
}

TEST(FetchTransfer, CddbReplyFormIsUnwrappedAndOtherRepliesFail) {
    TransferFixture f;
    f.settings.URL = f.server.Url("/cddb.cgi?cmd=cddb+read+%x+%y&proto=6");
    f.server.Serve("/cddb.cgi?cmd=cddb+read+rock+7a0b1c2d&proto=6",
                   HttpReply::Ok("210 rock 7a0b1c2d Blue Band / Night Songs\r\n" +
                                 WithCrLf(Record) + ".\r\n"));
    f.server.Serve("/cddb.cgi?cmd=cddb+read+misc+7a0b1c2d&proto=6",
                   HttpReply::Ok("401 misc 7a0b1c2d No such CD entry in database.\r\n"));

    EXPECT_FALSE(f.Run("misc"));
    EXPECT_EQ(f.ui.MessageIds(), std::vector<int>{Number(str::FetchFailed)});
    EXPECT_EQ(f.ui.messages[0].captionId, Number(str::ErrorCaption));
    EXPECT_TRUE(f.DocumentUntouched());
    EXPECT_FALSE(f.flags.loaded);

    f.flags.Clear();
    EXPECT_TRUE(f.Run("rock"));
    EXPECT_EQ(f.doc.trackCount, 2);
    EXPECT_EQ(f.doc.cd.discId, "7a0b1c2d");
    EXPECT_EQ(f.ui.messages.size(), 1u);
    EXPECT_TRUE(f.NoTemporaryFileLeft());
}

TEST(FetchTransfer, FailedDownloadShowsMessageAndKeepsTheDocument) {
    TransferFixture f;  // nothing served: 404
    EXPECT_FALSE(f.Run());
    EXPECT_EQ(f.ui.MessageIds(), std::vector<int>{Number(str::FetchFailed)});
    EXPECT_FALSE(f.flags.loaded);
    EXPECT_TRUE(f.DocumentUntouched());
    EXPECT_EQ(f.statuses, std::vector<int>{Number(str::FetchLoading)});
    EXPECT_TRUE(f.NoTemporaryFileLeft());
}

TEST(FetchTransfer, AnswerThatIsNoRecordChangesNothing) {
    TransferFixture f;
    f.server.Serve("/gnudb/rock/7a0b1c2d", HttpReply::Ok("<html><body>Not found</body></html>\n"));
    EXPECT_FALSE(f.Run());
    EXPECT_TRUE(f.ui.messages.empty());
    EXPECT_FALSE(f.flags.loaded);
    EXPECT_TRUE(f.DocumentUntouched());
    EXPECT_TRUE(f.NoTemporaryFileLeft());
}

TEST(FetchTransfer, RecordTheReaderRefusesEmptiesTheListAndCountsAsLoaded) {
    TransferFixture f;
    f.server.Serve("/gnudb/rock/7a0b1c2d", HttpReply::Ok("# xmcd\nDTITLE=x\nsome nonsense\n"));
    EXPECT_TRUE(f.Run());
    EXPECT_EQ(f.ui.MessageIds(), std::vector<int>{1028});  // the reader's syntax error
    EXPECT_TRUE(f.flags.loaded);
    EXPECT_EQ(f.doc.trackCount, 0);
    EXPECT_TRUE(f.doc.cd.title.empty());
    EXPECT_TRUE(f.doc.modified);
    EXPECT_EQ(f.ui.refreshCount, 1);
    EXPECT_TRUE(f.NoTemporaryFileLeft());
}

TEST(FetchTransfer, CancelDuringSlowAnswerReadsNothingAndSaysNothing) {
    TransferFixture f;
    f.server.Serve("/gnudb/rock/7a0b1c2d", HttpReply::Slow(Record, 100));
    std::thread canceller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        f.flags.cancelled = true;
    });
    auto begin = std::chrono::steady_clock::now();
    EXPECT_FALSE(f.Run());
    canceller.join();
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(5));
    EXPECT_TRUE(f.ui.messages.empty());
    EXPECT_FALSE(f.flags.loaded);
    EXPECT_TRUE(f.DocumentUntouched());
    EXPECT_EQ(f.statuses, std::vector<int>{Number(str::FetchLoading)});
    EXPECT_TRUE(f.NoTemporaryFileLeft());

    // A download that fails after the user cancelled shows no message either.
    f.settings.URL = f.server.Url("/nothing/%x/%y");
    EXPECT_FALSE(f.Run());
    EXPECT_TRUE(f.ui.messages.empty());
    EXPECT_TRUE(f.NoTemporaryFileLeft());
}

TEST(FetchTransfer, UnusableTemporaryFolderIsReported) {
    TransferFixture f;
    f.server.Serve("/gnudb/rock/7a0b1c2d", HttpReply::Ok(Record));
    f.options.tempFolder = f.temp.file("missing");
    EXPECT_FALSE(f.Run());
    EXPECT_EQ(f.ui.MessageIds(), std::vector<int>{Number(str::CannotOpenFile)});
    EXPECT_NE(f.ui.messages[0].text.find(f.temp.file("missing/xmcd")), std::string::npos);
    EXPECT_TRUE(f.DocumentUntouched());
    EXPECT_TRUE(f.server.Requests().empty());
}

}  // namespace
}  // namespace tracklore
