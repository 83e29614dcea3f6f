#include "app/Mp3ScanDialog.h"

#include <sys/resource.h>
#include <unistd.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <cerrno>

#include "app/DialogParts.h"
#include "app/QtText.h"
#include "flows/CueTagFlow.h"
#include "flows/Mp3ScanFlow.h"
#include "model/Text.h"
#include "mp3/CueTag.h"
#include "resources/Strings.h"

namespace tracklore::app {

namespace {
// Answers No to the results dialog where no window can show it.
class NoFragments : public FragmentChooser {
  public:
    MsgResult ChooseFragments(const std::string&, const std::vector<FragmentRow>&) override {
        return MsgResult::No;
    }
};
}  // namespace

namespace {
// Options dialog

// Progress dialog

}  // namespace

// ---- Worker priority ------------------------------------------------------------------------

QThread::Priority ScanThreadPriority(int setting) {
    switch (setting) {
        case -2:
            return QThread::LowestPriority;
        case -1:
            return QThread::LowPriority;
        case 1:
            return QThread::HighPriority;
        case 2:
            return QThread::HighestPriority;
        default:
            return QThread::NormalPriority;
    }
}

int ScanThreadNiceStep(int setting) {
    switch (setting) {
        case -2:
            return 10;
        case -1:
            return 5;
        case 1:
            return -5;
        case 2:
            return -10;
        default:
            return 0;
    }
}

bool AdjustCallingThreadNice(int step) {
    if (step == 0) {
        return true;
    }
    // On Linux the nice value belongs to each thread; PRIO_PROCESS with the thread's own ID
    // changes this thread alone.
    const auto self = static_cast<id_t>(gettid());
    errno = 0;
    int current = getpriority(PRIO_PROCESS, self);
    if (current == -1 && errno != 0) {
        return false;
    }
    return setpriority(PRIO_PROCESS, self, current + step) == 0;
}

// ---- Progress dialog ------------------------------------------------------------------------

Mp3ScanProgressDialog::Mp3ScanProgressDialog(Session& session, Mp3ScanJob& job,
                                             const UiFonts& fonts, FileOpener opener,
                                             QWidget* parent)
    : CentredDialog(parent), session_(session), job_(job), opener_(std::move(opener)) {
    const DialogPlacer place = PrepareDialog(this, Text(str::ScanProgressCaption), fonts.normal);
    MarkAsPassing(this);
    const DialogBaseUnits units = place.units;

    auto* group = new QGroupBox(Text(str::ScanProgressGroup), this);
    SetControlId(group, 101);
    group->setFont(fonts.bold);
    place(group, 7, 7, 206, 58);

    auto* fileLabel = new QLabel(Text(str::ScanFileLabel), this);
    place(fileLabel, 14, 20, 38, 8);
    file_ = new QLabel(FromPath(FileNamePart(job_.path)), this);
    SetControlId(file_, 102);
    file_->setTextFormat(Qt::PlainText);
    place(file_, 54, 20, 152, 8);

    auto* methodLabel = new QLabel(Text(str::ScanMethodLabel), this);
    place(methodLabel, 14, 32, 38, 8);
    method_ = new QLabel(Text(ScanMethodTextId(job_)), this);
    SetControlId(method_, 103);
    method_->setTextFormat(Qt::PlainText);
    place(method_, 54, 32, 152, 8);

    bar_ = new QProgressBar(this);
    SetControlId(bar_, 105);
    bar_->setRange(0, 100);
    bar_->setTextVisible(false);
    place(bar_, 14, 46, 164, 10);
    percent_ = new QLabel(this);
    SetControlId(percent_, 104);
    percent_->setTextFormat(Qt::PlainText);
    percent_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    place(percent_, 180, 47, 26, 8);

    cancel_ = new QPushButton(Text(str::ScanProgressCancel), this);
    SetControlId(cancel_, 3);
    cancel_->setToolTip(Text(str::TipScanCancel));
    cancel_->setDefault(true);
    place(cancel_, 85, 71, 50, 14);
    connect(cancel_, &QPushButton::clicked, this, &Mp3ScanProgressDialog::reject);

    setFixedSize(DialogSize(units, 220, 92));
    ShowProgress(0);
    cancel_->setFocus();
}

Mp3ScanProgressDialog::~Mp3ScanProgressDialog() {
    // The dialog ends only when the job has ended; a dialog that is destroyed without having
    // been run to its end asks the job to stop, and the runner waits for it.
    job_.cancelRequested = true;
}

void Mp3ScanProgressDialog::reject() {
    job_.cancelRequested = true;
}

void Mp3ScanProgressDialog::FirstShown() {
    StartWorker();
}

void Mp3ScanProgressDialog::ShowProgress(int percent) {
    bar_->setValue(percent);
    percent_->setText(FromText(UiStrings().Format(str::PercentText, {percent})));
}

void Mp3ScanProgressDialog::StartWorker() {
    job_.cancelRequested = false;
    job_.lastPercent = -1;
    priority_ = ScanThreadPriority(session_.settings.Priority);
    const int niceStep = ScanThreadNiceStep(session_.settings.Priority);
    job_.timeFormat = session_.timeFormat();
    // The scan filters repeated percentages itself; each change travels to this dialog as
    // a queued call, so the job never waits for a repaint.
    runner_.Start<bool>(
        [this, niceStep, hooks = ScanHooks(session_)](const JobContext& context) {
            AdjustCallingThreadNice(niceStep);
            ScanMp3File(
                job_, hooks, [&context](int percent) { context.Report({percent}); }, opener_);
            return true;
        },
        [this](const JobProgress& progress) { ShowProgress(progress.percent); },
        [this](bool) {
            // The finds are shown and applied while the dialog is still up.
            auto* chooser = dynamic_cast<FragmentChooser*>(&session_.ui);
            NoFragments none;
            FinishMp3Scan(session_, job_, chooser ? *chooser : none, opener_);
            QDialog::done(0);
        },
        priority_);
}

// ---- Options dialog -------------------------------------------------------------------------

Mp3ScanDialog::Mp3ScanDialog(Session& session, const UiFonts& fonts, QWidget* parent,
                             FileOpener opener)
    : FileDropDialog(session, parent), fonts_(fonts), opener_(std::move(opener)) {
    const DialogPlacer place = PrepareDialog(this, Text(str::ScanOptionsCaption), fonts.normal);
    const DialogBaseUnits units = place.units;

    auto* pathLabel = new QLabel(Text(str::ScanPathLabel), this);
    place(pathLabel, 7, 7, 200, 8);
    path_ = new QLineEdit(this);
    SetControlId(path_, 101);
    path_->setToolTip(Text(str::TipMp3Path));
    path_->setAcceptDrops(false);  // a drop anywhere goes to the dialog
    place(path_, 7, 17, 205, 12);
    pathLabel->setBuddy(path_);
    browse_ = new QPushButton(Text(str::ScanBrowse), this);
    SetControlId(browse_, 102);
    browse_->setToolTip(Text(str::TipMp3Path));
    browse_->setAutoDefault(false);
    place(browse_, 215, 17, 18, 12);

    auto* methods = new QGroupBox(Text(str::ScanMethodGroup), this);
    methods->setFont(fonts.bold);
    place(methods, 7, 35, 226, 52);
    auto box = [&](int id, StringId textId, StringId tipId, int value, int y) {
        auto* check = new QCheckBox(Text(textId), this);
        SetControlId(check, id);
        check->setToolTip(Text(tipId));
        check->setChecked(value != 0);
        place(check, 14, y, 212, 10);
        return check;
    };
    cueTag_ = box(104, str::ScanCueTagLabel, str::TipMethodCueTag, session_.settings.ScanID3v2, 47);
    id3v1_ = box(105, str::ScanId3v1Label, str::TipMethodId3v1, session_.settings.ScanID3v1, 59);
    archives_ = box(106, str::ScanArchivesLabel, str::TipMethodArchives,
                    session_.settings.ScanArchives, 71);

    start_ = new QPushButton(Text(str::ScanStart), this);
    SetControlId(start_, 1);
    start_->setToolTip(Text(str::TipScanStart));
    start_->setDefault(true);
    place(start_, 129, 93, 50, 14);
    cancel_ = new QPushButton(Text(str::ScanOptionsCancel), this);
    SetControlId(cancel_, 2);
    cancel_->setToolTip(Text(str::TipClose));
    cancel_->setAutoDefault(false);
    place(cancel_, 183, 93, 50, 14);

    connect(browse_, &QPushButton::clicked, this, &Mp3ScanDialog::Browse);
    connect(start_, &QPushButton::clicked, this, &Mp3ScanDialog::Start);
    connect(cancel_, &QPushButton::clicked, this, &Mp3ScanDialog::reject);

    setTabOrder(path_, browse_);
    setTabOrder(browse_, cueTag_);
    setTabOrder(cueTag_, id3v1_);
    setTabOrder(id3v1_, archives_);
    setTabOrder(archives_, start_);
    setTabOrder(start_, cancel_);

    setFixedSize(DialogSize(units, 240, 114));
    path_->setFocus();
}

void Mp3ScanDialog::Browse() {
    const std::string chosen = ChooseMp3File(session_, str::Mp3ChooserTitle);
    if (!chosen.empty()) {
        path_->setText(FromPath(chosen));
    }
}

void Mp3ScanDialog::Start() {
    const QString text = path_->text();
    if (text.isEmpty()) {
        return;
    }
    job_.path = ToPath(text);
    job_.findCueTag = cueTag_->isChecked();
    // The chapter table is in the ID3v2 tag too: its method covers it.
    job_.findChapters = job_.findCueTag;
    job_.splitAtId3v1 = id3v1_->isChecked();
    job_.detectArchives = archives_->isChecked();
    Settings& settings = session_.settings;
    settings.ScanID3v2 = job_.findCueTag ? 1 : 0;
    settings.ScanID3v1 = job_.splitAtId3v1 ? 1 : 0;
    settings.ScanArchives = job_.detectArchives ? 1 : 0;
    if (!CheckScanStart(session_, job_)) {
        return;
    }
    job_.finished = false;
    {
        Mp3ScanProgressDialog progress(session_, job_, fonts_, opener_, this);
        progress.exec();
    }
    if (job_.finished) {
        accept();
    }
}

void Mp3ScanDialog::PathDropped(const std::string& path) {
    path_->setText(FromPath(path));
}

void ShowMp3ScanDialog(Session& session, const UiFonts& fonts, QWidget* owner) {
    Mp3ScanDialog dialog(session, fonts, owner);
    dialog.exec();
}

}  // namespace tracklore::app
