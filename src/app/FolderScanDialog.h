#pragma once

#include <QDialog>

#include "app/FileDropDialog.h"
#include "app/JobRunner.h"
#include "app/UiMetrics.h"
#include "flows/Session.h"

class QLineEdit;
class QPushButton;

namespace tracklore::app {

// The folder dialog: a folder and a file mask; Start builds the track list from the files of
// the folder. The scan runs on the user-interface thread with the dialog's five controls
// disabled; on success the dialog closes, otherwise it stays for another try.
class FolderScanDialog : public FileDropDialog {
    Q_OBJECT

  public:
    FolderScanDialog(Session& session, const UiFonts& fonts, QWidget* parent);

    QLineEdit* FolderEdit() const { return folder_; }
    QPushButton* BrowseButton() const { return browse_; }
    QLineEdit* MaskEdit() const { return mask_; }
    QPushButton* StartButton() const { return start_; }
    QPushButton* CancelButton() const { return cancel_; }

    // "Start!": scans the folder with the mask.
    void Start();
    // "...": the folder browser, starting at the field's folder.
    void Browse();

  protected:
    void PathDropped(const std::string& path) override;

  private:
    void SetControlsEnabled(bool enabled);

    QLineEdit* folder_ = nullptr;
    QPushButton* browse_ = nullptr;
    QLineEdit* mask_ = nullptr;
    QPushButton* start_ = nullptr;
    QPushButton* cancel_ = nullptr;
    JobRunner runner_;
};

// Command 208: the folder dialog, modal over the owner.
void ShowFolderScanDialog(Session& session, const UiFonts& fonts, QWidget* owner);

}  // namespace tracklore::app
