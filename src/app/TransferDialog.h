#pragma once

#include <memory>

#include "app/DialogParts.h"
#include "app/UiMetrics.h"
#include "flows/Session.h"
#include "freedb/Fetch.h"
#include "flows/FreeDbFlow.h"

class QLabel;
class QPushButton;
class QThread;

namespace tracklore::app {

// The transfer of one FreeDB record: a small modal dialog whose worker thread downloads and
// reads the record. The dialog shows the worker's state; Cancel (or closing the window) only
// asks the worker to stop, and the worker ends the dialog when it is done. Messages and
// window refreshes of the worker run on the UI thread while the dialog is still up, so the
// document is replaced and the window refreshed before the dialog closes.
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
    void WorkerEnded();

    Session& session_;
    FetchRequest request_;
    TransferFlags& flags_;
    TransferOptions options_;
    QLabel* status_ = nullptr;
    QPushButton* cancel_ = nullptr;
    std::unique_ptr<QThread> worker_;
};

// Runs the transfer of a validated, lower-case request in the modal transfer dialog over
// `owner` and answers whether a track list was loaded (the loaded flag). The caller clears
// the flags before.
bool RunTransfer(Session& session, const UiFonts& fonts, QWidget* owner,
                 const FetchRequest& request, TransferFlags& flags,
                 const TransferOptions& options = {});

}  // namespace tracklore::app
