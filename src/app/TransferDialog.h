#pragma once

#include <memory>

#include "app/DialogParts.h"
#include "app/JobRunner.h"
#include "app/UiMetrics.h"
#include "flows/FreeDbFlow.h"
#include "flows/Session.h"
#include "freedb/Fetch.h"

class QLabel;
class QPushButton;

namespace tracklore::app {

// The transfer of one FreeDB record: a small modal dialog that runs the transfer job on a
// thread of its own. The dialog shows the job's state; Cancel (or closing the window) only
// asks the job to stop, and the dialog ends when the job has ended. The record is applied to
// the document, and its messages shown, while the dialog is still up, so the document is
// replaced and the window refreshed before the dialog closes.
class TransferDialog : public CentredDialog {
    Q_OBJECT

  public:
    TransferDialog(Session& session, const UiFonts& fonts, const FetchRequest& request,
                   TransferFlags& flags, TransferOptions options, QWidget* owner);
    ~TransferDialog() override;

    QLabel* StatusLine() const { return status_; }
    QPushButton* CancelButton() const { return cancel_; }
    // True while the worker runs.
    bool WorkerRunning() const;

    // Sets the cancel flag; the dialog stays until the worker ends it.
    void reject() override;

  protected:
    void FirstShown() override;

  private:
    void StartWorker();

    Session& session_;
    FetchRequest request_;
    TransferFlags& flags_;
    TransferOptions options_;
    QLabel* status_ = nullptr;
    QPushButton* cancel_ = nullptr;
    JobRunner runner_;
};

// Runs the transfer of a validated, lower-case request in the modal transfer dialog over
// `owner` and answers whether a track list was loaded (the loaded flag). The caller clears
// the flags before.
bool RunTransfer(Session& session, const UiFonts& fonts, QWidget* owner,
                 const FetchRequest& request, TransferFlags& flags,
                 const TransferOptions& options = {});

}  // namespace tracklore::app
