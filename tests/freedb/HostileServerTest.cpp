// Servers that misbehave: answers that never end, endless streams, huge and broken records,
// garbage. Every transfer must end within its limits with bounded memory, tell the user when
// it failed, and leave no temporary file behind.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <chrono>
#include <filesystem>

#include "freedb/Download.h"
#include "freedb/Fetch.h"
#include "flows/FreeDbFlow.h"
#include "support/LocalHttpServer.h"
#include "support/TestSupport.h"

namespace tracklore {
namespace {

using test::HttpReply;
using test::LocalHttpServer;
using test::TempDir;

long PeakRssKb() {
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

struct HostileFixture {
    HostileFixture() {
        f.settings.URL = server.Url("/cddb/%x/%y");
        options.tempFolder = temp.path().string();
        options.limits.totalTimeoutMs = 1500;
        options.limits.connectTimeoutMs = 1000;
        f.doc.cd.title = "Kept";
    }
    bool Fetch() {
        flags.Clear();
        return RunTransferWorker(f.session, FetchRequest{"rock", "7a0b1c2d"}, flags, {}, options);
    }
    bool TempFolderEmpty() const { return std::filesystem::is_empty(temp.path()); }

    test::Fixture f;
    LocalHttpServer server;
    TempDir temp;
    TransferFlags flags;
    TransferOptions options;
};

TEST(HostileServer, AnswerThatNeverComesEndsAtTheTimeout) {
    HostileFixture h;
    h.server.Serve("/cddb/rock/7a0b1c2d", HttpReply::Stall());
    auto begin = std::chrono::steady_clock::now();
    EXPECT_FALSE(h.Fetch());
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(5));
    EXPECT_EQ(h.f.ui.MessageIds(), std::vector<int>{1081});
    EXPECT_EQ(h.f.doc.cd.title, "Kept");
    EXPECT_TRUE(h.TempFolderEmpty());
}

TEST(HostileServer, EndlessStreamStopsAtTheSizeLimitWithBoundedMemory) {
    HostileFixture h;
    h.options.limits.totalTimeoutMs = 20000;
    h.server.Serve("/cddb/rock/7a0b1c2d", HttpReply::Endless(std::string(65536, 'g')));
    long before = PeakRssKb();
    auto begin = std::chrono::steady_clock::now();
    EXPECT_FALSE(h.Fetch());
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(15));
    // The answer goes to a file as it arrives; the process does not hold it.
    EXPECT_LT(PeakRssKb() - before, 64 * 1024);
    EXPECT_EQ(h.f.ui.MessageIds(), std::vector<int>{1081});
    EXPECT_TRUE(h.TempFolderEmpty());
}

TEST(HostileServer, RecordOfMoreThanSixtyThousandBytesIsReadWhole) {
    HostileFixture h;
    std::string record = "# xmcd\n# Track frame offsets:\n";
    for (int i = 0; i < 99; ++i) {
        record += "#\t" + std::to_string(150 + i * 3000) + "\n";
    }
    record += "#\n# Disc length: 4000 seconds\nDTITLE=Band / Long\n";
    for (int i = 0; i < 99; ++i) {
        for (int piece = 0; piece < 9; ++piece) {
            record += "TTITLE" + std::to_string(i) + "=" + std::string(69, 'a' + i % 26) + "\n";
        }
    }
    ASSERT_GT(record.size(), 60000u);
    h.server.Serve("/cddb/rock/7a0b1c2d", HttpReply::Ok(record));
    EXPECT_TRUE(h.Fetch());
    EXPECT_TRUE(h.f.ui.messages.empty());
    EXPECT_EQ(h.f.doc.trackCount, 99);
    EXPECT_EQ(h.f.doc.tracks[98].title.size(), 299u);  // cut to the field
    EXPECT_TRUE(h.TempFolderEmpty());
}

TEST(HostileServer, BinaryGarbageChangesNothing) {
    HostileFixture h;
    std::string garbage;
    for (int i = 0; i < 100000; ++i) {
        garbage += static_cast<char>((i * 131 + 7) & 0xFF);
    }
    h.server.Serve("/cddb/rock/7a0b1c2d", HttpReply::Ok(garbage));
    EXPECT_FALSE(h.Fetch());
    EXPECT_EQ(h.f.doc.cd.title, "Kept");
    EXPECT_TRUE(h.TempFolderEmpty());

    // Garbage after a valid header is a record the reader refuses: its message, empty list.
    h.server.Serve("/cddb/rock/7a0b1c2d", HttpReply::Ok("# xmcd\n" + garbage));
    EXPECT_TRUE(h.Fetch());
    ASSERT_EQ(h.f.ui.messages.size(), 1u);
    EXPECT_EQ(h.f.doc.trackCount, 0);
    EXPECT_TRUE(h.TempFolderEmpty());
}

TEST(HostileServer, ConnectionClosedMidAnswerIsAFailedDownload) {
    HostileFixture h;
    std::string record = "# xmcd\nDTITLE=Band / Album\n" + std::string(5000, '#') + "\n";
    h.server.Serve("/cddb/rock/7a0b1c2d", HttpReply::Cut(record, 20));
    EXPECT_FALSE(h.Fetch());
    EXPECT_EQ(h.f.ui.MessageIds(), std::vector<int>{1081});
    EXPECT_EQ(h.f.doc.cd.title, "Kept");
    EXPECT_TRUE(h.TempFolderEmpty());
}

TEST(HostileServer, RedirectToAnotherSchemeIsRefused) {
    HostileFixture h;
    h.server.Serve("/cddb/rock/7a0b1c2d", HttpReply::Redirect("file:///etc/passwd"));
    EXPECT_FALSE(h.Fetch());
    EXPECT_EQ(h.f.ui.MessageIds(), std::vector<int>{1081});
    h.server.Serve("/cddb/rock/7a0b1c2d", HttpReply::Redirect("gopher://127.0.0.1/x"));
    EXPECT_FALSE(h.Fetch());
    EXPECT_EQ(h.f.doc.cd.title, "Kept");
    EXPECT_TRUE(h.TempFolderEmpty());
}

TEST(HostileServer, ConnectionRefusedEndsQuickly) {
    HostileFixture h;
    int port = 0;
    {
        LocalHttpServer gone;
        port = gone.Port();
    }
    h.f.settings.URL = "http://127.0.0.1:" + std::to_string(port) + "/%x/%y";
    auto begin = std::chrono::steady_clock::now();
    EXPECT_FALSE(h.Fetch());
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(3));
    EXPECT_EQ(h.f.ui.MessageIds(), std::vector<int>{1081});
}

}  // namespace
}  // namespace tracklore
