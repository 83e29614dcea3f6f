#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <nlohmann/json.hpp>
#include <thread>

#include "support/LocalHttpServer.h"
#include "support/RunCommand.h"
#include "support/TestSupport.h"

namespace tracklore {
namespace {

using test::CommandResult;
using test::HttpReply;
using test::LocalHttpServer;
using test::TempDir;

const std::string Record =
    "# xmcd\r\n"
    "#\r\n"
    "# Track frame offsets:\r\n"
    "#\t150\r\n"
    "#\t15150\r\n"
    "#\r\n"
    "# Disc length: 400 seconds\r\n"
    "#\r\n"
    "DISCID=7a0b1c2d\r\n"
    "DTITLE=Blue Band / Night Songs\r\n"
    "DYEAR=1999\r\n"
    "DGENRE=Rock\r\n"
    "TTITLE0=Evening\r\n"
    "TTITLE1=M\xE4rz\r\n";

// A local server, and a private temporary folder that the command uses as TMPDIR.
struct CliFixture {
    LocalHttpServer server;
    TempDir temp;
    TempDir work;

    CommandResult Cli(std::vector<std::string> args) {
        std::vector<std::string> argv = {"env", "TMPDIR=" + temp.path().string(), TRACKLORE_CLI};
        argv.insert(argv.end(), args.begin(), args.end());
        return test::RunCommand(argv);
    }
    std::string Template() const { return server.Url("/gnudb/%x/%y"); }
    bool NoTemporaryFileLeft() const { return std::filesystem::is_empty(temp.path()); }
};

TEST(CliFetch, RecordAsJsonAndAsText) {
    CliFixture f;
    f.server.Serve("/gnudb/rock/7a0b1c2d", HttpReply::Ok(Record));

    auto result = f.Cli({"fetch", "Rock", "7A0B1C2D", "--url", f.Template(), "--json"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(result.err.empty()) << result.err;
    auto json = nlohmann::json::parse(result.out);
    EXPECT_TRUE(json["kind"].is_null());
    EXPECT_EQ(json["title"], "Night Songs");
    EXPECT_EQ(json["discId"], "7a0b1c2d");
    EXPECT_EQ(json["totalSeconds"], 400);
    ASSERT_EQ(json["tracks"].size(), 2u);
    EXPECT_EQ(json["tracks"][1]["title"], "M\u00e4rz");
    EXPECT_EQ(json["tracks"][1]["length"], 400 * 75 - 15150);
    EXPECT_EQ(f.server.Requests(), std::vector<std::string>{"/gnudb/rock/7a0b1c2d"});
    EXPECT_TRUE(f.NoTemporaryFileLeft());

    auto text = f.Cli({"fetch", "rock", "7a0b1c2d", "--url", f.Template()});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("Blue Band / M\u00e4rz"), std::string::npos) << text.out;
}

TEST(CliFetch, SavedWithDashO) {
    CliFixture f;
    f.server.Serve("/gnudb/rock/7a0b1c2d", HttpReply::Ok(Record));

    const std::string cue = f.work.file("album.cue");
    auto result = f.Cli({"fetch", "rock", "7a0b1c2d", "--url", f.Template(), "--json", "-o", cue});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(nlohmann::json::parse(result.out)["kind"], "cue");
    EXPECT_NE(test::ReadFileBytes(cue).find("TRACK 02 AUDIO"), std::string::npos);

    const std::string xmcd = f.work.file("album.xmcd");
    result = f.Cli({"fetch", "rock", "7a0b1c2d", "--url", f.Template(), "--json", "-o", xmcd});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(nlohmann::json::parse(result.out)["kind"], "xmcd");
    EXPECT_EQ(test::ReadFileBytes(xmcd).rfind("# xmcd", 0), 0u);

    // An existing file is kept unless the overwrite question is answered with --yes.
    result = f.Cli({"fetch", "rock", "7a0b1c2d", "--url", f.Template(), "-o", cue, "--no"});
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(result.out.empty());
    EXPECT_TRUE(f.NoTemporaryFileLeft());
}

TEST(CliFetch, FailuresAndUsage) {
    CliFixture f;
    f.server.Serve("/gnudb/misc/00000001", HttpReply::Ok("<html>gone</html>"));
    f.server.Serve("/gnudb/misc/00000002", HttpReply::Ok("# xmcd\nnonsense\n"));

    auto missing = f.Cli({"fetch", "misc", "00000000", "--url", f.Template()});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.out.empty());
    EXPECT_EQ(missing.err.rfind("Fehler: Es gibt ein Problem beim downloaden", 0), 0u)
        << missing.err;

    auto page = f.Cli({"fetch", "misc", "00000001", "--url", f.Template(), "--json"});
    EXPECT_EQ(page.status, 1);
    EXPECT_TRUE(page.out.empty());
    EXPECT_NE(page.err.find("kein XMCD-Datensatz"), std::string::npos) << page.err;

    auto broken = f.Cli({"fetch", "misc", "00000002", "--url", f.Template(), "--json"});
    EXPECT_EQ(broken.status, 1);
    EXPECT_TRUE(broken.out.empty());
    EXPECT_NE(broken.err.find("Fehler: Falsche Syntax in Zeile 2:\nnonsense"), std::string::npos)
        << broken.err;
    EXPECT_TRUE(f.NoTemporaryFileLeft());

    EXPECT_EQ(f.Cli({"fetch", "misc", "3a4c87b"}).status, 2);
    EXPECT_EQ(f.Cli({"fetch", "new-age", "3a4c87b1"}).status, 2);
    EXPECT_EQ(f.Cli({"fetch", "misc"}).status, 2);
    EXPECT_EQ(f.Cli({"fetch", "misc", "3a4c87b1", "--bogus"}).status, 2);
    EXPECT_EQ(f.server.Requests().size(), 3u);  // usage errors ask nobody
}

TEST(CliSearch, OneLinePerResult) {
    CliFixture f;
    const std::string page =
        "<a href=\"?cat=rock&id=7a0b1c2d\">Blue Band / Night Songs</a>\n"
        "<a href=\"?cat=jazz&id=0000abcd\">Blue Band / M\xE4rz</a>\n"
        "<a href=\"?cat=misc&id=11112222\">Red Band</a>\n";
    f.server.Serve("/search/Blue+Band", HttpReply::Ok(page));
    // The words go out as UTF-8; the page comes in Windows-1252.
    f.server.Serve("/search/m%C3%A4rz", HttpReply::Ok(page));

    auto result = f.Cli({"search", "--endpoint", f.server.Url(), "Blue", "Band"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out,
              "rock\t7a0b1c2d\tBlue Band / Night Songs\n"
              "jazz\t0000abcd\tBlue Band / M\u00e4rz\n");

    result = f.Cli({"search", "--endpoint", f.server.Url() + "/", "m\u00e4rz"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "jazz\t0000abcd\tBlue Band / M\u00e4rz\n");
    EXPECT_TRUE(f.NoTemporaryFileLeft());
}

TEST(CliSearch, NothingFoundFailuresAndUsage) {
    CliFixture f;
    f.server.Serve("/search/green", HttpReply::Ok("cat=rock&id=7a0b1c2d\">Blue Band</a>\n"));

    auto none = f.Cli({"search", "--endpoint", f.server.Url(), "green"});
    EXPECT_EQ(none.status, 0);
    EXPECT_TRUE(none.out.empty());
    EXPECT_NE(none.err.find("Nichts gefunden."), std::string::npos);

    auto failed = f.Cli({"search", "--endpoint", f.server.Url(), "yellow"});
    EXPECT_EQ(failed.status, 1);
    EXPECT_TRUE(failed.out.empty());
    EXPECT_EQ(failed.err.rfind("Fehler: Es gibt ein Problem mit der Verbindung", 0), 0u);
    EXPECT_TRUE(f.NoTemporaryFileLeft());

    EXPECT_EQ(f.Cli({"search"}).status, 2);
    EXPECT_EQ(f.Cli({"search", " ", ""}).status, 2);
    EXPECT_EQ(f.Cli({"search", "--endpoint", "", "x"}).status, 2);
}

// libcurl is opened by the first download, not at start: a command that downloads nothing
// must not load it, and a download without a loadable libcurl fails with the usual message.
TEST(CliNetwork, LibcurlIsLoadedOnlyByDownloads) {
    CliFixture f;
    f.server.Serve("/gnudb/rock/7a0b1c2d", HttpReply::Ok(Record));
    f.work.Write("libcurl.so.4", "");  // found first through LD_LIBRARY_PATH, and no library
    const std::string brokenLibrary = "LD_LIBRARY_PATH=" + f.work.path().string();
    const std::string example = std::string(TRACKLORE_SOURCE_DIR) + "/examples/beispiel.cue";
    const std::vector<std::string> fetch = {"fetch", "rock", "7a0b1c2d", "--url", f.Template()};
    struct Case {
        std::string environment;
        std::vector<std::string> args;
        int status;
        bool opensLibcurl;
        std::string error;
    };
    const Case cases[] = {
        {"", {"show", example}, 0, false, ""},
        {"", fetch, 0, true, ""},
        {brokenLibrary, fetch, 1, true, "Fehler: Es gibt ein Problem beim downloaden"},
    };
    for (const Case& c : cases) {
        // The dynamic loader names every library it looks for on standard error.
        std::vector<std::string> argv = {"env", "LD_DEBUG=libs",
                                         "TMPDIR=" + f.temp.path().string()};
        if (!c.environment.empty()) {
            argv.push_back(c.environment);
        }
        argv.push_back(TRACKLORE_CLI);
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        auto result = test::RunCommand(argv);
        SCOPED_TRACE(c.environment + " " + c.args[0]);
        EXPECT_EQ(result.status, c.status) << result.err;
        EXPECT_EQ(result.err.find("libcurl.so.4") != std::string::npos, c.opensLibcurl);
        EXPECT_NE(result.err.find(c.error), std::string::npos) << result.err;
    }
    EXPECT_TRUE(f.NoTemporaryFileLeft());
}

// Starts the command with TMPDIR set, interrupts it with Ctrl+C once the server has seen its
// request, and answers how it ended.
int InterruptedStatus(CliFixture& f, const std::vector<std::string>& args) {
    // Everything the child needs is built before fork: the test process has other threads.
    std::vector<std::string> environment = {"TMPDIR=" + f.temp.path().string()};
    for (char** entry = environ; *entry != nullptr; ++entry) {
        if (std::string_view(*entry).rfind("TMPDIR=", 0) != 0) {
            environment.emplace_back(*entry);
        }
    }
    std::vector<char*> envp;
    for (auto& entry : environment) {
        envp.push_back(entry.data());
    }
    envp.push_back(nullptr);
    std::vector<std::string> argvText = {TRACKLORE_CLI};
    argvText.insert(argvText.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& arg : argvText) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);

    const std::size_t requestsBefore = f.server.Requests().size();
    // Spawned, not forked: see RunCommand.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (int fd : {0, 1, 2}) {
        posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", O_RDWR, 0);
    }
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        return -1;
    }
    for (int i = 0; i < 500 && f.server.Requests().size() == requestsBefore; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    kill(pid, SIGINT);
    int status = 0;
    waitpid(pid, &status, 0);
    return status;
}

TEST(CliFetch, InterruptEndsTheTransferAndRemovesTheTemporaryFile) {
    CliFixture f;
    f.server.Serve("/gnudb/rock/7a0b1c2d", HttpReply::Slow(Record, 200));  // takes a minute
    f.server.Serve("/search/band", HttpReply::Slow(std::string(300, 'x'), 200));

    auto begin = std::chrono::steady_clock::now();
    int status = InterruptedStatus(f, {"fetch", "rock", "7a0b1c2d", "--url", f.Template()});
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
    EXPECT_TRUE(f.NoTemporaryFileLeft());

    status = InterruptedStatus(f, {"search", "--endpoint", f.server.Url(), "band"});
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
    EXPECT_TRUE(f.NoTemporaryFileLeft());
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(10));
}

}  // namespace
}  // namespace tracklore
