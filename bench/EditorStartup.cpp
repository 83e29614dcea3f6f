// Start-up speed of the editor: from process start to the main window shown (its first paint
// done) with a 99-track document loaded, on Qt's offscreen platform. Target: under 300 ms.
// Usage: tracklore_startup_bench [--runs N]
// The program starts itself N times as the editor and reports the fastest, median and
// slowest start; exit status 0 when the median meets the target.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/EditorApp.h"
#include "app/MainWindow.h"

#include <QAbstractItemModel>
#include <QTableView>
#include "settings/SettingsFile.h"

extern char** environ;

namespace {

constexpr double TargetMilliseconds = 300.0;
constexpr const char* ChildVariable = "TRACKLORE_STARTUP_BENCH_CHILD";

long long MonotonicNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

// Reports the moment the main window has painted itself once (and how many rows its list
// shows), then ends the event loop.
class FirstPaint : public QObject {
  public:
    explicit FirstPaint(const tracklore::app::MainWindow* window = nullptr) : window_(window) {}
    void Watch(const tracklore::app::MainWindow* window) { window_ = window; }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            // Runs after the paint event has been handled.
            QTimer::singleShot(0, [this] {
                long long now = MonotonicNanoseconds();
                std::printf("%lld %d\n", now, window_->TrackList()->model()->rowCount());
                std::fflush(stdout);
                QCoreApplication::exit(0);
            });
        }
        return false;
    }

  private:
    const tracklore::app::MainWindow* window_;
    bool seen_ = false;
};

int RunChild(int argc, char** argv) {
    FirstPaint watcher;
    return tracklore::app::RunEditor(argc, argv, [&](tracklore::app::EditorApp& editor) {
        watcher.Watch(&editor.Window());
        editor.Window().installEventFilter(&watcher);
        editor.Window().Client()->installEventFilter(&watcher);
    });
}

std::string WriteDocument(const std::filesystem::path& folder) {
    std::string text =
        "TITLE \"Startzeit\"\r\nPERFORMER \"Messung\"\r\nREM Length: 5000 seconds\r\n"
        "FILE \"startzeit.mp3\" MP3\r\n";
    for (int i = 0; i < 99; ++i) {
        int start = i * 3750;  // 50 seconds each
        char line[256];
        std::snprintf(line, sizeof line,
                      "  TRACK %02d AUDIO\r\n    TITLE \"Titel Nummer %d\"\r\n    PERFORMER "
                      "\"Interpret %d\"\r\n    INDEX 01 %02d:%02d:%02d\r\n",
                      i + 1, i + 1, i + 1, start / 4500, (start / 75) % 60, start % 75);
        text += line;
    }
    std::string path = (folder / "99-tracks.cue").string();
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

// One start of the editor as a fresh process; milliseconds until its first paint, or < 0.
double TimeOneStart(const std::string& self, const std::string& document) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        return -1;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<std::string> environment;
    for (char** entry = environ; *entry; ++entry) {
        if (std::strncmp(*entry, "QT_QPA_PLATFORM=", 16) != 0) {
            environment.emplace_back(*entry);
        }
    }
    environment.emplace_back("QT_QPA_PLATFORM=offscreen");
    environment.emplace_back(std::string(ChildVariable) + "=1");
    std::vector<char*> envp;
    for (auto& entry : environment) {
        envp.push_back(entry.data());
    }
    envp.push_back(nullptr);
    std::string program = self;
    std::string argument = document;
    char* argv[] = {program.data(), argument.data(), nullptr};

    pid_t pid = 0;
    const long long started = MonotonicNanoseconds();
    int rc = posix_spawn(&pid, self.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (rc != 0) {
        close(pipeFds[0]);
        return -1;
    }
    std::string output;
    char buffer[256];
    ssize_t n = 0;
    while ((n = read(pipeFds[0], buffer, sizeof buffer)) > 0) {
        output.append(buffer, static_cast<std::size_t>(n));
    }
    close(pipeFds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    long long shown = 0;
    int rows = 0;
    if (std::sscanf(output.c_str(), "%lld %d", &shown, &rows) != 2 || shown <= 0 || rows != 99) {
        return -1;
    }
    return static_cast<double>(shown - started) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv(ChildVariable)) {
        return RunChild(argc, argv);
    }
    int runs = 15;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string(argv[i]) == "--runs") {
            runs = std::max(1, std::atoi(argv[i + 1]));
        }
    }
    const std::string self = tracklore::RunningExecutablePath();
    std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("tracklore-startup-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const std::string document = WriteDocument(folder);

    TimeOneStart(self, document);  // a first start warms the page cache
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        double ms = TimeOneStart(self, document);
        if (ms < 0) {
            std::fprintf(stderr, "start %d failed\n", i + 1);
            std::filesystem::remove_all(folder);
            return 2;
        }
        times.push_back(ms);
    }
    std::filesystem::remove_all(folder);
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    std::printf(
        "editor start-up with 99 tracks (offscreen), %d runs: fastest %.1f ms, median %.1f "
        "ms, slowest %.1f ms (target: under %.0f ms)\n",
        runs, times.front(), median, times.back(), TargetMilliseconds);
    return median < TargetMilliseconds ? 0 : 1;
}
