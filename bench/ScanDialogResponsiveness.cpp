// The editor stays responsive while its MP3 scan dialog reads a 1 GiB joined album: the
// scan runs on its worker thread while the user-interface thread keeps running its event
// loop, repainting the main window and the progress bar. Measured on Qt's offscreen
// platform with a warm page cache: a 10 ms timer on the user-interface thread, the longest
// gap between two of its beats, and the paints of the window and the bar.
// Target: no gap of 100 ms or more while the gigabyte is scanned.
// Usage: tracklore_scan_dialog_bench [--size-mib N] [--keep]
// Exit status 0 when the target is met and the track list was built.

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "BenchData.h"
#include "app/Commands.h"
#include "app/EditorApp.h"
#include "app/FragmentDialog.h"
#include "app/MainWindow.h"
#include "app/Mp3ScanDialog.h"
#include "app/QtText.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr double TargetGapMilliseconds = 100.0;

// Reads the file once, so that the scan finds it in the page cache.
void WarmCache(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> chunk(1 << 20);
    while (in.read(chunk.data(), static_cast<std::streamsize>(chunk.size())) || in.gcount() > 0) {
    }
}

// The user-interface thread's side: beats of a 10 ms timer while the scan runs, and paints.
class Probe : public QObject {
  public:
    explicit Probe(QWidget* window) : window_(window) {
        beat_.setInterval(10);
        connect(&beat_, &QTimer::timeout, this, [this] {
            const auto now = Clock::now();
            gaps.push_back(std::chrono::duration<double, std::milli>(now - last_).count());
            last_ = now;
            window_->update();
        });
        window_->installEventFilter(this);
    }
    void Start(QWidget* bar) {
        bar_ = bar;
        bar_->installEventFilter(this);
        start_ = last_ = Clock::now();
        beat_.start();
    }
    void Stop() {
        if (beat_.isActive()) {
            beat_.stop();
            scanMilliseconds =
                std::chrono::duration<double, std::milli>(Clock::now() - start_).count();
        }
    }
    bool Running() const { return beat_.isActive(); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && beat_.isActive()) {
            if (watched == window_) {
                ++windowPaints;
            } else if (watched == bar_) {
                ++barPaints;
            }
        }
        return false;
    }

    std::vector<double> gaps;
    double scanMilliseconds = 0;
    int windowPaints = 0;
    int barPaints = 0;

  private:
    QWidget* window_;
    QWidget* bar_ = nullptr;
    QTimer beat_;
    Clock::time_point start_;
    Clock::time_point last_;
};

}  // namespace

int main(int argc, char** argv) {
    std::uint64_t sizeMib = 1024;
    bool keep = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--size-mib" && i + 1 < argc) {
            sizeMib = std::strtoull(argv[++i], nullptr, 10);
        } else if (arg == "--keep") {
            keep = true;
        } else {
            std::fprintf(stderr, "Aufruf: %s [--size-mib N] [--keep]\n", argv[0]);
            return 2;
        }
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);

    const std::string dir = tracklore::bench::MakeBenchDir("tracklore-bench");
    if (dir.empty()) {
        return 2;
    }
    const std::string album = dir + "/album.mp3";
    std::printf("writing %llu MiB ...\n", static_cast<unsigned long long>(sizeMib));
    std::fflush(stdout);
    tracklore::bench::WriteNoiseAlbum(album, sizeMib << 20);
    WarmCache(album);

    QApplication application(argc, argv);
    tracklore::app::EditorApp editor(dir + "/tracklore.ini", dir + "/liesmich.txt");
    if (!editor.Start("")) {
        return 2;
    }
    Probe probe(&editor.Window());
    bool started = false;
    bool answered = false;
    std::vector<std::string> messages;
    QPointer<QMessageBox> lastBox;

    // Answers the dialogs as a user would: the file and Start, then Yes to the results.
    QTimer driver;
    driver.setInterval(1);
    QObject::connect(&driver, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* options = qobject_cast<tracklore::app::Mp3ScanDialog*>(modal)) {
            if (!started) {
                started = true;
                options->PathEdit()->setText(tracklore::app::FromPath(album));
                QTimer::singleShot(0, options->StartButton(), &QPushButton::click);
            }
        } else if (auto* progress = qobject_cast<tracklore::app::Mp3ScanProgressDialog*>(modal)) {
            if (!probe.Running() && probe.gaps.empty()) {
                probe.Start(progress->Bar());
            }
        } else if (auto* results = qobject_cast<tracklore::app::FragmentDialog*>(modal)) {
            probe.Stop();
            if (!answered) {
                answered = true;
                QTimer::singleShot(0, results->YesButton(), &QPushButton::click);
            }
        } else if (auto* box = qobject_cast<QMessageBox*>(modal); box && box != lastBox) {
            lastBox = box;
            probe.Stop();
            messages.push_back(box->text().toStdString());
            if (QAbstractButton* ok = box->button(QMessageBox::Ok)) {
                QTimer::singleShot(0, ok, &QAbstractButton::click);
            } else {
                QTimer::singleShot(0, box, &QMessageBox::reject);
            }
        }
    });
    driver.start();
    QTimer::singleShot(0, [&] {
        editor.Window().RunCommand(tracklore::app::cmd::Mp3Scan);
        QCoreApplication::exit(0);
    });
    application.exec();
    driver.stop();

    const int tracks = editor.Document().trackCount;
    std::vector<double> gaps = probe.gaps;
    std::sort(gaps.begin(), gaps.end());
    const double longest = gaps.empty() ? 0 : gaps.back();
    const double median = gaps.empty() ? 0 : gaps[gaps.size() / 2];
    std::printf("scan of %llu MiB through the dialogs: %.0f ms, %d tracks built\n",
                static_cast<unsigned long long>(sizeMib), probe.scanMilliseconds, tracks);
    std::printf(
        "user-interface thread: %zu beats of a 10 ms timer (%.0f asked for), "
        "median gap %.1f ms, longest gap %.1f ms\n",
        gaps.size(), probe.scanMilliseconds / 10.0, median, longest);
    std::printf("paints during the scan: main window %d, progress bar %d\n", probe.windowPaints,
                probe.barPaints);
    for (const std::string& message : messages) {
        std::printf("message: %s\n", message.c_str());
    }
    if (gaps.empty()) {
        std::printf(
            "no beat came during the scan: too short to measure, try a larger "
            "--size-mib\n");
    }
    const bool met = !gaps.empty() && longest < TargetGapMilliseconds && tracks > 0;
    std::printf("target: longest gap < %.0f ms: %s\n", TargetGapMilliseconds,
                met ? "met" : "NOT met");
    if (!keep) {
        std::error_code error;
        std::filesystem::remove_all(dir, error);
    } else {
        std::printf("kept: %s\n", dir.c_str());
    }
    return met ? 0 : 1;
}
