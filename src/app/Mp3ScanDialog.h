#pragma once

#include <QThread>

#include "app/DialogParts.h"
#include "app/FileDropDialog.h"
#include "app/JobRunner.h"
#include "app/UiMetrics.h"
#include "flows/Session.h"
#include "mp3/Mp3Scan.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace tracklore::app {

// The thread priority of the scan worker for the Priority setting: -2 lowest, -1 low, 1 high,
// 2 highest; every other value (0 included) normal.
QThread::Priority ScanThreadPriority(int setting);

// Threads of the normal scheduling policy ignore the priority above on Linux, so the worker
// also moves its own nice value by this step: +10 and +5 for the two low settings, -5 and
// -10 for the two high ones, 0 otherwise.
int ScanThreadNiceStep(int setting);

// Moves the nice value of the calling thread (not of the whole process) by the step. False
// when the system refuses, as it does for a raise without the privilege; the thread then
// keeps its value.
bool AdjustCallingThreadNice(int step);

// The progress dialog of the MP3 scan. It starts the scan job on a thread of its own when it
// is shown and stays until the job has ended: Cancel and closing only request the cancel,
// which the scan takes at the next chunk. The scan's questions are asked on the
// user-interface thread while the job waits; its finds are shown and applied there (results
// dialog, messages, the document and the main window) before the dialog closes.
class Mp3ScanProgressDialog : public CentredDialog {
    Q_OBJECT

  public:
    Mp3ScanProgressDialog(Session& session, Mp3ScanJob& job, const UiFonts& fonts,
                          FileOpener opener, QWidget* parent);
    ~Mp3ScanProgressDialog() override;

    QLabel* FileLabel() const { return file_; }
    QLabel* MethodLabel() const { return method_; }
    QLabel* PercentLabel() const { return percent_; }
    QProgressBar* Bar() const { return bar_; }
    QPushButton* CancelButton() const { return cancel_; }
    // The priority the worker was started with (valid once the dialog was shown).
    QThread::Priority WorkerPriority() const { return priority_; }

    // Cancel, Escape and the close box: the cancel request only.
    void reject() override;

  protected:
    void FirstShown() override;

  private:
    void StartWorker();
    void ShowProgress(int percent);

    Session& session_;
    Mp3ScanJob& job_;
    FileOpener opener_;
    QLabel* file_ = nullptr;
    QLabel* method_ = nullptr;
    QLabel* percent_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QPushButton* cancel_ = nullptr;
    JobRunner runner_;
    QThread::Priority priority_ = QThread::NormalPriority;
};

// The options dialog of the MP3 scan: the file, the three search methods, and Start, which
// runs the progress dialog. The dialog closes when a scan finished; after a cancel it stays
// open for another try.
class Mp3ScanDialog : public FileDropDialog {
    Q_OBJECT

  public:
    Mp3ScanDialog(Session& session, const UiFonts& fonts, QWidget* parent,
                  FileOpener opener = OpenFileForScan);

    QLineEdit* PathEdit() const { return path_; }
    QPushButton* BrowseButton() const { return browse_; }
    QCheckBox* CueTagBox() const { return cueTag_; }
    QCheckBox* Id3v1Box() const { return id3v1_; }
    QCheckBox* ArchiveBox() const { return archives_; }
    QPushButton* StartButton() const { return start_; }
    QPushButton* CancelButton() const { return cancel_; }
    const Mp3ScanJob& Job() const { return job_; }

    // "Start!": checks the choice and runs the scan.
    void Start();
    // "...": the file chooser.
    void Browse();

  protected:
    void PathDropped(const std::string& path) override;

  private:
    UiFonts fonts_;
    FileOpener opener_;
    Mp3ScanJob job_;
    QLineEdit* path_ = nullptr;
    QPushButton* browse_ = nullptr;
    QCheckBox* cueTag_ = nullptr;
    QCheckBox* id3v1_ = nullptr;
    QCheckBox* archives_ = nullptr;
    QPushButton* start_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

// Command 207: the options dialog, modal over the owner.
void ShowMp3ScanDialog(Session& session, const UiFonts& fonts, QWidget* owner);

}  // namespace tracklore::app
