#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>

#include "GuiSupport.h"
#include "ScanGuiSupport.h"
#include "app/Commands.h"
#include "app/FragmentDialog.h"
#include "app/Mp3ScanDialog.h"
#include "app/QtText.h"
#include "support/Mp3Album.h"

namespace tracklore::app::test {
namespace {

namespace mp3 = tracklore::test::mp3;

void TriggerCommand(Editor& editor, int command) {
    editor.window().CommandAction(command)->trigger();
}

Mp3ScanDialog* OptionsDialog(QWidget* modal) {
    auto* dialog = qobject_cast<Mp3ScanDialog*>(modal);
    if (!dialog) {
        ADD_FAILURE() << "expected the options dialog, got " << modal->metaObject()->className();
    }
    return dialog;
}

// The path typed into the options dialog, then Start.
void StartScan(QWidget* modal, const std::string& path) {
    Mp3ScanDialog* dialog = OptionsDialog(modal);
    if (!dialog) {
        return;
    }
    dialog->PathEdit()->setText(FromPath(path));
    dialog->StartButton()->click();
}

// The frame's middle lies over the owner's middle (divisions truncated).
void ExpectCentredOver(QWidget* dialog, QWidget* owner) {
    const QRect frame = dialog->frameGeometry();
    const QRect ownerFrame = owner->frameGeometry();
    EXPECT_EQ(frame.left(), ownerFrame.left() + (ownerFrame.width() - frame.width()) / 2);
    EXPECT_EQ(frame.top(), ownerFrame.top() + (ownerFrame.height() - frame.height()) / 2);
}

// ---- Options dialog ---------------------------------------------------------------------------

TEST(Mp3ScanDialog, OpensWithItsControlsTipsAndTheStoredMethods) {
    Editor editor("[State]\r\nScanID3v2=1\r\nScanID3v1=0\r\nScanArchives=1\r\n");
    ASSERT_TRUE(editor.Start());
    ModalDriver driver;
    driver.Then([&](QWidget* modal) {
        Mp3ScanDialog* dialog = OptionsDialog(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), "Scanne MP3 Datei");
        const std::pair<int, int> tips[] = {{101, 3021}, {102, 3021}, {104, 3022}, {105, 3023},
                                            {106, 3024}, {1, 3025},   {2, 3012}};
        for (auto [id, tip] : tips) {
            QWidget* control = Control(dialog, id);
            ASSERT_NE(control, nullptr) << id;
            EXPECT_EQ(control->toolTip(), Text(tip)) << id;
        }
        EXPECT_EQ(dialog->BrowseButton()->text(), "...");
        EXPECT_EQ(dialog->StartButton()->text(), "Start!");
        EXPECT_EQ(dialog->CancelButton()->text(), "Abbruch");
        EXPECT_TRUE(dialog->StartButton()->isDefault());
        auto* group = dialog->findChild<QGroupBox*>();
        ASSERT_NE(group, nullptr);
        EXPECT_EQ(group->title(), "Suchmethode");
        EXPECT_TRUE(group->font().bold());
        EXPECT_FALSE(dialog->CueTagBox()->font().bold());
        EXPECT_TRUE(dialog->CueTagBox()->isChecked());
        EXPECT_FALSE(dialog->Id3v1Box()->isChecked());
        EXPECT_TRUE(dialog->ArchiveBox()->isChecked());
        // The labels are not cut.
        for (QCheckBox* box : {dialog->CueTagBox(), dialog->Id3v1Box(), dialog->ArchiveBox()}) {
            EXPECT_LE(box->sizeHint().width(), box->width()) << box->text().toStdString();
        }
        EXPECT_TRUE(dialog->PathEdit()->text().isEmpty());
        EXPECT_EQ(QApplication::focusWidget(), dialog->PathEdit());
        ExpectCentredOver(dialog, &editor.window());
        // Every control lies inside the dialog.
        for (QWidget* child : dialog->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            EXPECT_TRUE(dialog->rect().contains(child->geometry()))
                << child->metaObject()->className();
        }
        dialog->CancelButton()->click();
    });
    TriggerCommand(editor, cmd::Mp3Scan);
    EXPECT_TRUE(driver.Finished());
    EXPECT_EQ(driver.seen.size(), 1u);
}

TEST(Mp3ScanDialog, StartWantsAnExistingFileAndOneMethod) {
    Editor editor;
    ASSERT_TRUE(editor.Start());
    const std::string missing = editor.dir().file("fehlt.mp3");
    const std::string existing = editor.dir().Write("da.mp3", mp3::CbrStream(20000));
    Settings& settings = editor.app().GetSettings();
    ModalDriver driver;
    driver.Then([&](QWidget* modal) {
        Mp3ScanDialog* dialog = OptionsDialog(modal);
        ASSERT_NE(dialog, nullptr);
        // An empty path does nothing at all.
        dialog->StartButton()->click();
        EXPECT_EQ(driver.seen.size(), 1u);
        EXPECT_TRUE(dialog->isVisible());

        // A missing file: 1046 with the path; the boxes reach the settings all the same.
        dialog->Id3v1Box()->setChecked(false);
        dialog->PathEdit()->setText(FromPath(missing));
        dialog->StartButton()->click();
        ASSERT_EQ(driver.seen.size(), 2u);
        EXPECT_EQ(driver.seen[1].text, "Datei nicht gefunden: " + FromPath(missing));
        EXPECT_EQ(driver.seen[1].title, "Fehler");
        EXPECT_EQ(driver.seen[1].icon, QMessageBox::Warning);
        EXPECT_EQ(settings.ScanID3v1, 0);
        EXPECT_EQ(settings.ScanID3v2, 1);
        EXPECT_TRUE(dialog->isVisible());

        // No method: 1047.
        dialog->PathEdit()->setText(FromPath(existing));
        dialog->CueTagBox()->setChecked(false);
        dialog->ArchiveBox()->setChecked(false);
        dialog->StartButton()->click();
        ASSERT_EQ(driver.seen.size(), 3u);
        EXPECT_EQ(driver.seen[2].text, Shown(1047));
        EXPECT_EQ(driver.seen[2].title, "Fehler");
        EXPECT_EQ(driver.seen[2].icon, QMessageBox::Warning);
        EXPECT_EQ(settings.ScanID3v2, 0);
        EXPECT_EQ(settings.ScanArchives, 0);
        EXPECT_TRUE(dialog->isVisible());
        dialog->CancelButton()->click();
    });
    driver.Answer(QMessageBox::Ok);
    driver.Answer(QMessageBox::Ok);
    TriggerCommand(editor, cmd::Mp3Scan);
    EXPECT_TRUE(driver.Finished());
    EXPECT_EQ(editor.doc().trackCount, 0);
}

TEST(Mp3ScanDialog, ChooserAndDropFillThePath) {
    Editor editor;
    ASSERT_TRUE(editor.Start());
    const std::string folder = editor.dir().path().string();
    const std::string chosen = editor.dir().Write("gew\xC3\xA4hlt.mp3", mp3::CbrStream(20000));
    const std::string dropped = editor.dir().Write("gezogen.mp3", mp3::CbrStream(20000));
    editor.app().GetSettings().LastMP3Dir = folder;
    ModalDriver driver;
    driver.Then([&](QWidget* modal) {
        Mp3ScanDialog* dialog = OptionsDialog(modal);
        ASSERT_NE(dialog, nullptr);
        dialog->BrowseButton()->click();
        EXPECT_EQ(dialog->PathEdit()->text(), FromPath(chosen));
        EXPECT_EQ(editor.app().GetSettings().LastMP3Dir, folder + "/");

        EXPECT_TRUE(DropFilesOn(dialog->PathEdit(), {dropped}));
        EXPECT_EQ(dialog->PathEdit()->text(), FromPath(dropped));
        EXPECT_TRUE(DropFilesOn(dialog, {chosen, dropped}));
        EXPECT_EQ(dialog->PathEdit()->text(), FromPath(dropped));
        dialog->CancelButton()->click();
    });
    driver.Then([&](QWidget* modal) {
        auto* chooser = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(chooser, nullptr);
        EXPECT_EQ(chooser->windowTitle(), "Anzeigen von MP3 Dateien");
        ASSERT_EQ(chooser->nameFilters().size(), 2);
        EXPECT_TRUE(chooser->nameFilters()[0].startsWith("MPEG Audio Dateien"));
        EXPECT_TRUE(chooser->selectedNameFilter().startsWith("MPEG Audio Dateien"));
        EXPECT_EQ(chooser->directory().absolutePath(), FromPath(folder));
        EXPECT_EQ(chooser->fileMode(), QFileDialog::ExistingFile);
        ChooseFile(modal, chosen);
    });
    driver.Answer(QMessageBox::Ok);  // two files dropped
    TriggerCommand(editor, cmd::Mp3Scan);
    EXPECT_TRUE(driver.Finished());
    ASSERT_EQ(driver.seen.size(), 3u);
    EXPECT_EQ(driver.seen[2].text, Shown(1027));
    EXPECT_EQ(driver.seen[2].title, "\u00d6ffne Datei");
    EXPECT_EQ(driver.seen[2].icon, QMessageBox::Warning);
}

// ---- The scan through its dialogs -------------------------------------------------------------

// Three tracks of 3, 4 and 5 seconds joined, each closed by its ID3v1 record.
std::string JoinedAlbum() {
    return mp3::TaggedTrack(3.0, "Eins", "Band A", "Band A - Platte", "2004", 17) +
           mp3::TaggedTrack(4.0, "Zwei", "Band B") + mp3::TaggedTrack(5.0, "", "");
}

TEST(Mp3ScanDialog, JoinedAlbumGoesThroughTheResultsToTheTrackList) {
    Editor editor;
    ASSERT_TRUE(editor.Start());
    const std::string album = editor.dir().Write("album.mp3", JoinedAlbum());
    QPointer<Mp3ScanProgressDialog> progress;
    int rowsWhenProgressEnded = -1;
    ModalDriver driver;
    driver.Then([&](QWidget* modal) { StartScan(modal, album); });
    driver.Then([&](QWidget* modal) {
        progress = qobject_cast<Mp3ScanProgressDialog*>(modal);
        ASSERT_NE(progress, nullptr)
            << modal->metaObject()->className() << " " << modal->windowTitle().toStdString();
        EXPECT_EQ(progress->windowTitle(), "Scanne MP3 Datei");
        EXPECT_EQ(progress->FileLabel()->text(), "album.mp3");
        EXPECT_EQ(progress->MethodLabel()->text(), "ID3v2 + ID3v1 tags");
        EXPECT_EQ(progress->CancelButton()->toolTip(), Text(3026));
        EXPECT_EQ(progress->Bar()->minimum(), 0);
        EXPECT_EQ(progress->Bar()->maximum(), 100);
        auto* group = qobject_cast<QGroupBox*>(Control(progress, 101));
        ASSERT_NE(group, nullptr);
        EXPECT_EQ(group->title(), "Scanne ...");
        EXPECT_TRUE(group->font().bold());
        ExpectCentredOver(progress, progress->parentWidget());
        QObject::connect(progress, &QDialog::finished,
                         [&] { rowsWhenProgressEnded = editor.Rows(); });
    });
    driver.Then([&](QWidget* modal) {
        auto* results = qobject_cast<FragmentDialog*>(modal);
        ASSERT_NE(results, nullptr);
        // The bar stands at 100 before the results are shown.
        ASSERT_TRUE(progress);
        EXPECT_EQ(progress->Bar()->value(), 100);
        EXPECT_EQ(progress->PercentLabel()->text(), "100 %");
        // It belongs to the options dialog behind the progress dialog, which goes after it.
        EXPECT_EQ(results->parentWidget(), progress->parentWidget());
        EXPECT_EQ(results->windowTitle(), "MP3 Scanergebnisse");
        EXPECT_EQ(results->Heading()->text(), "MP3 Scan komplett. 3 ID3v1-tag(s) gefunden.");
        auto* label = qobject_cast<QLabel*>(Control(results, 102));
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->text(), "&Fragmente:");
        EXPECT_TRUE(label->font().bold());
        QTableWidget* list = results->List();
        EXPECT_EQ(list->geometry(), QRect(8, 50, 350, 127));
        EXPECT_EQ(list->toolTip(), Text(3027));
        EXPECT_TRUE(list->showGrid());
        EXPECT_EQ(list->selectionMode(), QAbstractItemView::SingleSelection);
        EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
        EXPECT_FALSE(list->horizontalHeader()->sectionsClickable());
        const char* headers[] = {"#", "Interpret", "Titel", "Dateigr\u00f6sse"};
        const int widths[] = {30, 110, 105, 75};
        for (int column = 0; column < 4; ++column) {
            EXPECT_EQ(list->horizontalHeaderItem(column)->text(), QString(headers[column]));
            EXPECT_EQ(list->columnWidth(column), widths[column]);
        }
        ASSERT_EQ(list->rowCount(), 3);
        EXPECT_EQ(list->item(0, 0)->text(), " 1");
        EXPECT_EQ(list->item(0, 1)->text(), "Band A");
        EXPECT_EQ(list->item(0, 2)->text(), "Eins");
        EXPECT_EQ(list->item(0, 3)->text(), "47.0 Kb");  // 48000 + 128 bytes
        EXPECT_EQ(list->item(1, 3)->text(), "62.6 Kb");  // 64000 + 128 bytes
        EXPECT_EQ(list->item(2, 1)->text(), "Unbenannter Interpret");
        EXPECT_EQ(list->item(2, 2)->text(), "Unbenannt");
        EXPECT_TRUE(list->item(0, 0)->textAlignment() & Qt::AlignRight);
        EXPECT_TRUE(list->item(0, 3)->textAlignment() & Qt::AlignRight);
        EXPECT_TRUE(list->item(0, 1)->textAlignment() & Qt::AlignLeft);
        EXPECT_EQ(results->YesButton()->text(), "&Ja");
        EXPECT_EQ(results->NoButton()->text(), "&Nein");
        EXPECT_EQ(Control(results, 6), results->YesButton());
        EXPECT_EQ(Control(results, 7), results->NoButton());
        EXPECT_EQ(results->YesButton()->toolTip(), Text(3028));
        EXPECT_EQ(results->NoButton()->toolTip(), Text(3029));
        EXPECT_EQ(QApplication::focusWidget(), results->YesButton());
        EXPECT_TRUE(results->rect().contains(results->YesButton()->geometry()));
        EXPECT_GT(results->YesButton()->geometry().top(), list->geometry().bottom());
        results->YesButton()->click();
    });
    TriggerCommand(editor, cmd::Mp3Scan);
    EXPECT_TRUE(driver.Finished());
    EXPECT_EQ(driver.seen.size(), 3u);
    // The options dialog closed after the finished scan.
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    // The window was refreshed before the progress dialog ended.
    EXPECT_EQ(rowsWhenProgressEnded, 3);

    const TrackList& doc = editor.doc();
    ASSERT_EQ(doc.trackCount, 3);
    EXPECT_TRUE(doc.modified);
    EXPECT_EQ(doc.cd.title, "Platte");
    EXPECT_EQ(doc.cd.artist, "Various");  // track 2 has another performer
    EXPECT_EQ(doc.cd.audioFile, "album");
    EXPECT_EQ(doc.tracks[0].start, 150);
    EXPECT_EQ(editor.Rows(), 3);
    EXPECT_EQ(editor.Cell(0, 2), "Eins");
    EXPECT_EQ(editor.Cell(1, 1), "Band B");
    EXPECT_EQ(editor.Cell(2, 2), "Unbenannt");
    EXPECT_EQ(editor.window().AlbumTitleEdit()->text(), "Platte");
    EXPECT_EQ(editor.window().Status()->PartText(0), "3 Track(s)");
}

TEST(Mp3ScanDialog, NoInTheResultsKeepsTheDocument) {
    Editor editor;
    ASSERT_TRUE(editor.Start(editor.WriteCue("alt.cue", 2, 400)));
    const std::string album = editor.dir().Write("album.mp3", JoinedAlbum());
    ModalDriver driver;
    driver.Then([&](QWidget* modal) { StartScan(modal, album); });
    driver.Let();
    driver.Then([&](QWidget* modal) {
        auto* results = qobject_cast<FragmentDialog*>(modal);
        ASSERT_NE(results, nullptr);
        // Closing answers as "&Nein".
        results->close();
    });
    TriggerCommand(editor, cmd::Mp3Scan);
    EXPECT_TRUE(driver.Finished());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(editor.doc().trackCount, 2);
    EXPECT_FALSE(editor.doc().modified);
    EXPECT_EQ(editor.Title(), "alt.cue - Tracklore");
}

TEST(Mp3ScanDialog, CancelMidScanLeavesTheOptionsDialogOpen) {
    Editor editor;
    ASSERT_TRUE(editor.Start());
    const std::string path = editor.dir().Write("lang.mp3", "x");
    PatternSource::Gate gate;
    gate.offset = 10 * ScanChunkSize;
    int opens = 0;
    FileOpener opener = [&](const std::string&) -> std::unique_ptr<ByteSource> {
        ++opens;
        auto source = std::make_unique<PatternSource>(std::uint64_t{64} << 20);
        source->gate = &gate;
        return source;
    };
    Mp3ScanDialog options(editor.app().GetSession(), editor.window().Fonts(), &editor.window(),
                          opener);
    int percentAtEnd = -1;
    bool optionsOpenAfterCancel = false;
    ModalDriver driver;
    driver.Then([&](QWidget* modal) {
        StartScan(modal, path);
        // Back from the progress dialog: no message, the dialog stays for another try.
        optionsOpenAfterCancel = options.isVisible() && !options.Job().finished;
        options.CancelButton()->click();
    });
    driver.Then([&](QWidget* modal) {
        auto* progress = qobject_cast<Mp3ScanProgressDialog*>(modal);
        ASSERT_NE(progress, nullptr);
        QObject::connect(progress, &QDialog::finished,
                         [&, progress] { percentAtEnd = progress->Bar()->value(); });
        ASSERT_TRUE(QTest::qWaitFor([&] { return gate.reached.load(); }, 5000));
        progress->CancelButton()->click();
        // The dialog waits for the worker.
        EXPECT_TRUE(progress->isVisible());
        progress->close();
        EXPECT_TRUE(progress->isVisible());
        gate.Open();
    });
    options.exec();
    EXPECT_TRUE(driver.Finished());
    EXPECT_TRUE(optionsOpenAfterCancel);
    EXPECT_EQ(driver.seen.size(), 2u);  // options and progress, no message
    EXPECT_EQ(opens, 1);
    EXPECT_GE(percentAtEnd, 0);
    EXPECT_LT(percentAtEnd, 100);
    EXPECT_EQ(editor.doc().trackCount, 0);
    EXPECT_FALSE(editor.doc().modified);
}

// What the worker thread saw of its own priority.
struct ThreadSeen {
    QThread::Priority priority = QThread::InheritPriority;
    int nice = 1000;
    bool onUiThread = true;
};

ThreadSeen ScanWithPriority(const std::string& ini) {
    Editor editor(ini);
    EXPECT_TRUE(editor.Start());
    const std::string path = editor.dir().Write("kurz.mp3", "x");
    ThreadSeen seen;
    FileOpener opener = [&](const std::string&) -> std::unique_ptr<ByteSource> {
        seen.onUiThread = QThread::currentThread() == qApp->thread();
        seen.priority = QThread::currentThread()->priority();
        errno = 0;
        seen.nice = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
        return std::make_unique<PatternSource>(100000);
    };
    Mp3ScanDialog options(editor.app().GetSession(), editor.window().Fonts(), &editor.window(),
                          opener);
    ModalDriver driver;
    driver.Then([&](QWidget* modal) { StartScan(modal, path); });
    driver.Let();
    driver.Answer(QMessageBox::Ok);  // nothing usable
    options.exec();
    EXPECT_TRUE(driver.Finished());
    EXPECT_EQ(driver.seen.back().text, Shown(1071));
    EXPECT_EQ(driver.seen.back().title, "MP3 Suchergebnisse");
    return seen;
}

TEST(Mp3ScanDialog, WorkerRunsAtThePriorityOfTheSetting) {
    errno = 0;
    const int base = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
    ThreadSeen low = ScanWithPriority("[MP3Scan]\r\nPriority=-2\r\n");
    EXPECT_FALSE(low.onUiThread);
    EXPECT_EQ(low.priority, QThread::LowestPriority);
    EXPECT_EQ(low.nice, std::min(base + 10, 19));

    ThreadSeen odd = ScanWithPriority("[MP3Scan]\r\nPriority=7\r\n");
    EXPECT_EQ(odd.priority, QThread::NormalPriority);
    EXPECT_EQ(odd.nice, base);

    EXPECT_EQ(ScanThreadPriority(-1), QThread::LowPriority);
    EXPECT_EQ(ScanThreadPriority(0), QThread::NormalPriority);
    EXPECT_EQ(ScanThreadPriority(1), QThread::HighPriority);
    EXPECT_EQ(ScanThreadPriority(2), QThread::HighestPriority);
    EXPECT_EQ(ScanThreadPriority(-3), QThread::NormalPriority);
}

// Records how regularly the user-interface thread's event loop runs and how often the
// progress bar is painted.
class Heartbeat : public QObject {
  public:
    explicit Heartbeat(QWidget* window) : window_(window) {
        timer_.setInterval(10);
        connect(&timer_, &QTimer::timeout, this, [this] {
            Beat();
            window_->update();  // the main window repaints on every beat
        });
    }
    void Start() {
        start_ = last_ = Clock::now();
        timer_.start();
    }
    void Stop() {
        timer_.stop();
        stop_ = Clock::now();
    }
    std::chrono::milliseconds Elapsed() const {
        return std::chrono::duration_cast<std::chrono::milliseconds>(stop_ - start_);
    }
    void Beat() {
        auto now = Clock::now();
        maxGap = std::max(maxGap, now - last_);
        last_ = now;
        ++beats;
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            if (watched == window_) {
                ++windowPaints;
            } else {
                ++barPaints;
            }
        }
        return false;
    }

    using Clock = std::chrono::steady_clock;
    Clock::duration maxGap{};
    int beats = 0;
    int barPaints = 0;
    int windowPaints = 0;

  private:
    QWidget* window_;
    QTimer timer_;
    Clock::time_point start_;
    Clock::time_point last_;
    Clock::time_point stop_;
};

// The same with a real 1 GiB album: bench/ScanDialogResponsiveness.cpp.
TEST(Mp3ScanDialog, WindowStaysResponsiveWhileALargeFileIsScanned) {
    Editor editor;
    ASSERT_TRUE(editor.Start());
    const std::string path = editor.dir().Write("gross.mp3", "x");
    const std::uint64_t size = std::uint64_t{256} << 20;
    std::atomic<bool> scanEnded{false};
    FileOpener opener = [&](const std::string&) -> std::unique_ptr<ByteSource> {
        auto source = std::make_unique<PatternSource>(size);
        // 4096 chunks of at least 100 microseconds each: the scan lasts 0.4 s or more.
        source->busyPerRead = std::chrono::microseconds(100);
        return source;
    };
    Mp3ScanDialog options(editor.app().GetSession(), editor.window().Fonts(), &editor.window(),
                          opener);
    Heartbeat heartbeat(&editor.window());
    editor.window().installEventFilter(&heartbeat);
    std::vector<int> percents;
    ModalDriver driver;
    driver.Then([&](QWidget* modal) { StartScan(modal, path); });
    driver.Then([&](QWidget* modal) {
        auto* progress = qobject_cast<Mp3ScanProgressDialog*>(modal);
        ASSERT_NE(progress, nullptr);
        progress->Bar()->installEventFilter(&heartbeat);
        QObject::connect(progress->Bar(), &QProgressBar::valueChanged,
                         [&](int value) { percents.push_back(value); });
        heartbeat.Start();
    });
    driver.Then([&](QWidget* modal) {
        // The scan has ended with its message.
        heartbeat.Stop();
        scanEnded = true;
        qobject_cast<QMessageBox*>(modal)->button(QMessageBox::Ok)->click();
    });
    options.exec();
    EXPECT_TRUE(driver.Finished());
    ASSERT_TRUE(scanEnded);
    EXPECT_EQ(driver.seen.back().text, Shown(1071));
    // The bar went through every percentage, each shown once.
    ASSERT_FALSE(percents.empty());
    EXPECT_EQ(percents.back(), 100);
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
    EXPECT_EQ(std::adjacent_find(percents.begin(), percents.end()), percents.end());
    EXPECT_GE(percents.size(), 50u);
    // The event loop kept running and painting while the worker read the file: at
    // least half of the beats the timer asked for came, none later than a quarter second.
    const auto scanTime = heartbeat.Elapsed();
    const auto maxGap =
        std::chrono::duration_cast<std::chrono::milliseconds>(heartbeat.maxGap).count();
    std::printf("256 MiB scanned in %lld ms: %d beats, longest gap %lld ms, %d bar paints\n",
                static_cast<long long>(scanTime.count()), heartbeat.beats,
                static_cast<long long>(maxGap), heartbeat.barPaints);
    EXPECT_GE(heartbeat.beats, static_cast<int>(scanTime.count() / 10 / 2));
    EXPECT_GE(scanTime.count(), 400);
    EXPECT_LT(maxGap, 250);
    EXPECT_GE(heartbeat.barPaints, 3);
    EXPECT_GE(heartbeat.windowPaints, 1);
}

// ---- Cue tag written and read back ------------------------------------------------------------

TEST(CueTagRoundTrip, WrittenCueSheetIsReadBackByTheScan) {
    Editor editor;
    ASSERT_TRUE(editor.Start(editor.WriteCue("platte.cue", 3, 500)));
    const std::string mp3Path = editor.dir().Write("platte.mp3", mp3::CbrStream(80000));
    const TrackList written = editor.doc();

    {
        ModalDriver driver;
        driver.Then([&](QWidget* modal) { ChooseFile(modal, mp3Path); });
        driver.Answer(QMessageBox::Ok);  // the tag was written
        TriggerCommand(editor, cmd::WriteCueToMp3);
        EXPECT_TRUE(driver.Finished());
        ASSERT_EQ(tracklore::test::ReadFileBytes(mp3Path).rfind("ID3", 0), 0u);
    }
    {
        // An empty document, then the scan of the tagged file.
        ModalDriver driver;
        if (editor.doc().modified) {
            driver.Answer(QMessageBox::No);
        }
        TriggerCommand(editor, cmd::New);
        ASSERT_EQ(editor.doc().trackCount, 0);
    }
    ModalDriver scanDriver;
    scanDriver.Then([&](QWidget* modal) { StartScan(modal, mp3Path); });
    scanDriver.Let();
    scanDriver.Answer(QMessageBox::Yes);  // extract the cue sheet
    TriggerCommand(editor, cmd::Mp3Scan);
    EXPECT_TRUE(scanDriver.Finished());
    ASSERT_EQ(scanDriver.seen.size(), 3u);
    EXPECT_EQ(scanDriver.seen[2].text,
              WithPlainLineBreaks(FromText(FormatString(1064, {VersionText}))));
    EXPECT_EQ(scanDriver.seen[2].title, "MP3 Suchergebnisse");
    EXPECT_EQ(scanDriver.seen[2].icon, QMessageBox::Question);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    const TrackList& doc = editor.doc();
    ASSERT_EQ(doc.trackCount, 3);
    EXPECT_EQ(doc.cd.title, written.cd.title);
    EXPECT_EQ(doc.cd.artist, written.cd.artist);
    EXPECT_EQ(doc.cd.totalSeconds, 500);
    EXPECT_EQ(doc.cd.audioFile, "platte");
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(doc.tracks[i].start, written.tracks[i].start) << i;
        EXPECT_EQ(doc.tracks[i].title, written.tracks[i].title) << i;
        EXPECT_EQ(doc.tracks[i].performer, written.tracks[i].performer) << i;
    }
    EXPECT_EQ(editor.Rows(), 3);
    EXPECT_EQ(editor.Cell(2, 2), "Titel 3");
    EXPECT_EQ(editor.window().Status()->PartText(2), "Spielzeit total: 8:20:00");
}

}  // namespace
}  // namespace tracklore::app::test
