#include "app/FolderScanDialog.h"

#include <QEventLoop>
#include "app/DialogParts.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/QtText.h"
#include "flows/FolderScanFlow.h"
#include "model/Text.h"
#include "mp3/FolderScan.h"
#include "resources/Strings.h"

namespace tracklore::app {

namespace {}  // namespace

FolderScanDialog::FolderScanDialog(Session& session, const UiFonts& fonts, QWidget* parent)
    : FileDropDialog(session, parent) {
    const DialogPlacer place = PrepareDialog(this, Text(str::FolderScanCaption), fonts.normal);
    const DialogBaseUnits units = place.units;

    auto* folderLabel = new QLabel(Text(str::FolderLabel), this);
    place(folderLabel, 7, 9, 42, 8);
    folder_ = new QLineEdit(this);
    SetControlId(folder_, 101);
    folder_->setToolTip(Text(str::TipFolder));
    folder_->setAcceptDrops(false);  // a drop anywhere goes to the dialog
    place(folder_, 50, 7, 162, 12);
    folderLabel->setBuddy(folder_);
    browse_ = new QPushButton(Text(str::FolderBrowse), this);
    SetControlId(browse_, 102);
    browse_->setToolTip(Text(str::TipFolder));
    browse_->setAutoDefault(false);
    place(browse_, 215, 7, 18, 12);

    auto* maskLabel = new QLabel(Text(str::MaskLabel), this);
    place(maskLabel, 7, 27, 42, 8);
    mask_ = new QLineEdit(FromPath(session_.settings.LastFileMask), this);
    SetControlId(mask_, 103);
    mask_->setToolTip(Text(str::TipMask));
    mask_->setAcceptDrops(false);
    place(mask_, 50, 25, 70, 12);
    maskLabel->setBuddy(mask_);

    start_ = new QPushButton(Text(str::FolderStart), this);
    SetControlId(start_, 1);
    start_->setToolTip(Text(str::TipFolderStart));
    start_->setDefault(true);
    place(start_, 129, 46, 50, 14);
    cancel_ = new QPushButton(Text(str::FolderCancel), this);
    SetControlId(cancel_, 2);
    cancel_->setToolTip(Text(str::TipClose));
    cancel_->setAutoDefault(false);
    place(cancel_, 183, 46, 50, 14);

    connect(browse_, &QPushButton::clicked, this, &FolderScanDialog::Browse);
    connect(start_, &QPushButton::clicked, this, &FolderScanDialog::Start);
    connect(cancel_, &QPushButton::clicked, this, &FolderScanDialog::reject);

    setTabOrder(folder_, browse_);
    setTabOrder(browse_, mask_);
    setTabOrder(mask_, start_);
    setTabOrder(start_, cancel_);

    setFixedSize(DialogSize(units, 240, 67));
    folder_->setFocus();
}

void FolderScanDialog::SetControlsEnabled(bool enabled) {
    for (QWidget* control :
         std::initializer_list<QWidget*>{folder_, browse_, mask_, start_, cancel_}) {
        control->setEnabled(enabled);
    }
}

void FolderScanDialog::Browse() {
    std::optional<std::string> folder =
        session_.ui.BrowseForFolder(session_.Text(str::FolderBrowseTitle), ToPath(folder_->text()));
    if (folder && !folder->empty()) {
        folder_->setText(FromPath(*folder));
    }
}

void FolderScanDialog::Start() {
    SetControlsEnabled(false);
    repaint();
    const std::string folder = ToPath(folder_->text());
    const std::string mask = ToPath(mask_->text());
    if (folder.empty() || mask.empty()) {
        SetControlsEnabled(true);
        folder_->setFocus();
        return;
    }
    // The files are measured by a job while the dialog keeps painting; the result is applied
    // here once it has ended.
    FolderScanResult result;
    QEventLoop wait;
    const StringTable& strings = session_.strings;
    runner_.Start<FolderScanResult>(
        [folder = WithTrailingSeparator(folder), mask, &strings,
         codePage = session_.settings.LegacyCodePage](const JobContext& job) {
            return ScanFolderFiles(folder, mask, strings, job, codePage);
        },
        {},
        [&](FolderScanResult found) {
            result = std::move(found);
            wait.quit();
        });
    wait.exec();
    if (FinishFolderScan(session_, result)) {
        accept();
        return;
    }
    SetControlsEnabled(true);
    folder_->setFocus();
}

void FolderScanDialog::PathDropped(const std::string& path) {
    folder_->setText(FromPath(path));
}

void ShowFolderScanDialog(Session& session, const UiFonts& fonts, QWidget* owner) {
    FolderScanDialog dialog(session, fonts, owner);
    dialog.exec();
}

}  // namespace tracklore::app
