// Start-up speed of the command line: `tracklore-cli show examples/beispiel.cue`, from spawn
// to exit, with its output thrown away. Target: a median under 5 ms, which holds only while
// commands that never download leave libcurl and its TLS stack unloaded.
// Usage: tracklore_cli_startup_bench [--runs N]
// Reports the fastest, median and slowest run; exit status 0 when the median meets the target.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr double TargetMilliseconds = 5.0;

// One run as a fresh process; milliseconds until it ended, or < 0 when it failed.
double TimeOneRun(const std::string& program, const std::string& document) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::string programText = program;
    std::string command = "show";
    std::string documentText = document;
    char* argv[] = {programText.data(), command.data(), documentText.data(), nullptr};

    const auto started = std::chrono::steady_clock::now();
    pid_t pid = 0;
    int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        return -1;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    const auto ended = std::chrono::steady_clock::now();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return -1;
    }
    return std::chrono::duration<double, std::milli>(ended - started).count();
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 200;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string(argv[i]) == "--runs") {
            runs = std::max(1, std::atoi(argv[i + 1]));
        }
    }
    const std::string program = TRACKLORE_CLI;
    const std::string document = TRACKLORE_SOURCE_DIR "/examples/beispiel.cue";

    for (int i = 0; i < 10; ++i) {
        TimeOneRun(program, document);  // warms the page cache
    }
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        double ms = TimeOneRun(program, document);
        if (ms < 0) {
            std::fprintf(stderr, "run %d failed\n", i + 1);
            return 2;
        }
        times.push_back(ms);
    }
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    std::printf(
        "tracklore-cli show examples/beispiel.cue, %d runs: fastest %.2f ms, median %.2f ms, "
        "slowest %.2f ms (target: median under %.0f ms)\n",
        runs, times.front(), median, times.back(), TargetMilliseconds);
    return median < TargetMilliseconds ? 0 : 1;
}
