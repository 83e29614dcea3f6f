#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "freedb/Download.h"
#include "support/LocalHttpServer.h"
#include "support/TestSupport.h"

namespace tracklore {
namespace {

using test::HttpReply;
using test::LocalHttpServer;
using test::ReadFileBytes;
using test::TempDir;

struct DownloadFixture {
    LocalHttpServer server;
    TempDir dir;
    std::string target = dir.file("answer");

    bool Get(const std::string& path, const DownloadLimits& limits = {},
             const std::atomic<bool>* cancel = nullptr) {
        return DownloadToFile(server.Url(path), target, cancel, limits);
    }
};

TEST(Download, SuccessWritesTheWholeBodyOverOldContent) {
    DownloadFixture f;
    const std::string body = std::string("# xmcd\r\nline\0two\r\n", 19) + std::string(70000, 'x');
    f.server.Serve("/plain", HttpReply::Ok(body));
    f.server.Serve("/chunked", HttpReply::Chunked(body));
    f.server.Serve("/empty", HttpReply::Status(204, ""));
    f.dir.Write("answer", std::string(200000, 'o'));  // a longer file is replaced, not patched

    ASSERT_TRUE(f.Get("/plain"));
    EXPECT_EQ(ReadFileBytes(f.target), body);
    ASSERT_TRUE(f.Get("/chunked"));
    EXPECT_EQ(ReadFileBytes(f.target), body);
    ASSERT_TRUE(f.Get("/empty"));
    EXPECT_EQ(ReadFileBytes(f.target), "");
}

TEST(Download, ErrorStatusesAndUnreachableServersFailAndLeaveNothing) {
    int closedPort = 0;
    {
        LocalHttpServer gone;
        closedPort = gone.Port();
    }
    DownloadFixture f;
    f.server.Serve("/broken", HttpReply::Status(500, "server trouble"));
    f.server.Serve("/moved",
                   HttpReply::Status(301, ""));  // a redirect without a target is no answer

    EXPECT_FALSE(f.Get("/missing"));  // 404
    EXPECT_EQ(ReadFileBytes(f.target), "");
    EXPECT_FALSE(f.Get("/broken"));
    EXPECT_EQ(ReadFileBytes(f.target), "");
    EXPECT_FALSE(f.Get("/moved"));
    f.server.Serve("/cut", HttpReply::Cut(std::string(5000, 'c'), 2000));
    EXPECT_FALSE(f.Get("/cut"));  // the connection closed before the promised length
    EXPECT_EQ(ReadFileBytes(f.target), "");
    EXPECT_FALSE(DownloadToFile("http://127.0.0.1:" + std::to_string(closedPort) + "/x", f.target));
    EXPECT_FALSE(DownloadToFile("", f.target));
    EXPECT_FALSE(DownloadToFile("not an address", f.target));
}

TEST(Download, OnlyHttpAndHttpsAreFetchedAndFollowed) {
    DownloadFixture f;
    TempDir secrets;
    const std::string secret = secrets.Write("secret.txt", "private bytes");
    f.server.Serve("/to-file", HttpReply::Redirect("file://" + secret));
    f.server.Serve("/to-ftp", HttpReply::Redirect("ftp://127.0.0.1/x"));

    EXPECT_FALSE(DownloadToFile("file://" + secret, f.target));
    EXPECT_FALSE(f.Get("/to-file"));
    EXPECT_EQ(ReadFileBytes(f.target), "");
    EXPECT_FALSE(f.Get("/to-ftp"));
}

TEST(Download, AtMostFiveRedirectsAreFollowed) {
    DownloadFixture f;
    // /r0 -> /r1 -> ... -> /r6, which answers.
    for (int i = 0; i < 6; ++i) {
        f.server.Serve("/r" + std::to_string(i),
                       HttpReply::Redirect(f.server.Url("/r" + std::to_string(i + 1))));
    }
    f.server.Serve("/r6", HttpReply::Ok("arrived"));

    ASSERT_TRUE(f.Get("/r1"));  // five redirects
    EXPECT_EQ(ReadFileBytes(f.target), "arrived");
    EXPECT_FALSE(f.Get("/r0"));  // six
    EXPECT_EQ(ReadFileBytes(f.target), "");
}

TEST(Download, BodiesOverTheLimitFail) {
    DownloadFixture f;
    DownloadLimits limits;
    limits.maxBytes = 1000;
    f.server.Serve("/fits", HttpReply::Ok(std::string(1000, 'a')));
    f.server.Serve("/long", HttpReply::Ok(std::string(1001, 'a')));
    f.server.Serve("/long-chunked", HttpReply::Chunked(std::string(20000, 'a')));

    EXPECT_TRUE(f.Get("/fits", limits));
    EXPECT_FALSE(f.Get("/long", limits));
    EXPECT_EQ(ReadFileBytes(f.target), "");
    EXPECT_FALSE(f.Get("/long-chunked", limits));
    EXPECT_EQ(ReadFileBytes(f.target), "");
    EXPECT_TRUE(f.Get("/long-chunked"));  // the default limit is 8 MiB
}

TEST(Download, SlowAnswersEndAtTheTotalTimeout) {
    DownloadFixture f;
    DownloadLimits limits;
    limits.totalTimeoutMs = 300;
    f.server.Serve("/slow", HttpReply::Slow(std::string(100, 's'), 100));
    auto begin = std::chrono::steady_clock::now();
    EXPECT_FALSE(f.Get("/slow", limits));
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(5));
    EXPECT_EQ(ReadFileBytes(f.target), "");
}

TEST(Download, CancelEndsARunningTransfer) {
    DownloadFixture f;
    // Would take 30 seconds to the end.
    f.server.Serve("/slow", HttpReply::Slow(std::string(300, 's'), 100));
    std::atomic<bool> cancel{false};
    std::thread canceller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        cancel = true;
    });
    auto begin = std::chrono::steady_clock::now();
    bool ok = f.Get("/slow", {}, &cancel);
    canceller.join();
    EXPECT_FALSE(ok);
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(5));
    EXPECT_EQ(ReadFileBytes(f.target), "");

    // A flag already set stops the transfer before it begins.
    f.server.Serve("/quick", HttpReply::Ok("data"));
    EXPECT_FALSE(f.Get("/quick", {}, &cancel));
}

TEST(Download, UnwritableTargetFails) {
    DownloadFixture f;
    f.server.Serve("/data", HttpReply::Ok("data"));
    EXPECT_FALSE(DownloadToFile(f.server.Url("/data"), f.dir.file("no/such/folder/file")));
}

TEST(TemporaryFile, CreatedPrivatelyWithThePrefixAndRemovedWhenGone) {
    TempDir dir;
    std::string path;
    {
        TemporaryFile first("xmcd", dir.path().string());
        TemporaryFile second("xmcd", dir.path().string());
        ASSERT_TRUE(first.ok());
        ASSERT_TRUE(second.ok());
        EXPECT_NE(first.path(), second.path());
        path = first.path();
        EXPECT_EQ(std::filesystem::path(path).parent_path(), dir.path());
        EXPECT_EQ(std::filesystem::path(path).filename().string().rfind("xmcd", 0), 0u);
        struct stat info {};
        ASSERT_EQ(::stat(path.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0600u);
    }
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));

    TemporaryFile nowhere("html", dir.file("missing-folder"));
    EXPECT_FALSE(nowhere.ok());
    EXPECT_NE(nowhere.path().find("missing-folder/html"), std::string::npos);
}

}  // namespace
}  // namespace tracklore
