#include "app/TransferDialog.h"
#include "app/DialogParts.h"

#include <QLabel>
#include <QPushButton>
#include <QThread>

#include "app/Pictures.h"
#include "app/QtText.h"

namespace tracklore::app {

namespace {}  // namespace

TransferDialog::TransferDialog(Session& session, const UiFonts& fonts, const FetchRequest& request,
                               TransferFlags& flags, TransferOptions options, QWidget* owner)
    : CentredDialog(owner),
      session_(session),
      request_(request),
      flags_(flags),
      options_(std::move(options)) {
    const DialogPlacer place = PrepareDialog(this, Text(str::TransferCaption), fonts.normal);
    MarkAsPassing(this);
    const DialogBaseUnits units = place.units;

    auto* picture = new QLabel(this);
    const QPixmap image = TransferPicture();
    picture->setPixmap(image);
    const QRect pictureSpot = DialogRect(units, 7, 7, 0, 0);
    picture->setGeometry(pictureSpot.x(), pictureSpot.y(), image.width(), image.height());

    auto* identification = new QLabel(Text(str::TransferIdentification), this);
    place(identification, 45, 9, 115, 8);
    auto* access = new QLabel(Text(str::TransferAccess), this);
    place(access, 45, 21, 115, 8);
    auto* statusLabel = new QLabel(Text(str::TransferStatusLabel), this);
    place(statusLabel, 7, 39, 30, 8);
    status_ = new QLabel(Text(str::TransferConnecting), this);
    SetControlId(status_, 101);
    status_->setTextFormat(Qt::PlainText);
    place(status_, 37, 39, 126, 8);

    cancel_ = new QPushButton(Text(str::TransferCancel), this);
    SetControlId(cancel_, 2);
    cancel_->setDefault(true);
    place(cancel_, 60, 52, 50, 14);
    connect(cancel_, &QPushButton::clicked, this, &TransferDialog::reject);

    setFixedSize(DialogSize(units, 170, 73));
}

TransferDialog::~TransferDialog() {
    // The dialog ends only when its job has ended; should one still run, the runner cancels it
    // and waits for it.
    flags_.cancelled = true;
}

bool TransferDialog::WorkerRunning() const {
    return runner_.Running();
}

void TransferDialog::FirstShown() {
    StartWorker();
}

void TransferDialog::StartWorker() {
    const std::string url = session_.settings.URL;
    options_.legacyCodePage = session_.settings.LegacyCodePage;
    runner_.Start<FetchOutcome>(
        [this, url](const JobContext& job) {
            // The dialog's own flag asks for the cancel, as the console's does.
            JobContext transfer(flags_.cancelled,
                                [&job](const JobProgress& progress) { job.Report(progress); });
            return FetchRecord(url, request_, transfer, options_);
        },
        [this](const JobProgress& progress) {
            if (progress.status != StringId::None) {
                status_->setText(Text(progress.status));
            }
        },
        [this](FetchOutcome outcome) {
            ApplyFetchOutcome(session_, outcome, flags_);
            QDialog::done(flags_.loaded ? QDialog::Accepted : QDialog::Rejected);
        });
}

void TransferDialog::reject() {
    flags_.cancelled = true;
}

bool RunTransfer(Session& session, const UiFonts& fonts, QWidget* owner,
                 const FetchRequest& request, TransferFlags& flags,
                 const TransferOptions& options) {
    TransferDialog dialog(session, fonts, request, flags, options, owner);
    dialog.exec();
    return flags.loaded;
}

}  // namespace tracklore::app
