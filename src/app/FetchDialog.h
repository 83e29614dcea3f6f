#pragma once

#include "app/DialogParts.h"
#include "app/UiMetrics.h"
#include "flows/Session.h"
#include "freedb/Fetch.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace tracklore::app {

class LinkLabel;

// "Lade FreeDB Trackliste": a record named by its category and disc ID. OK checks both
// silently (nothing happens for a bad request) and runs the transfer; the dialog closes only
// when a track list was loaded, otherwise it stays with the user's input for another try.
class FetchDialog : public CentredDialog {
    Q_OBJECT

  public:
    FetchDialog(Session& session, const UiFonts& fonts, QWidget* parent,
                TransferOptions options = {});

    QComboBox* CategoryBox() const { return category_; }
    QLineEdit* DiscIdEdit() const { return discId_; }
    LinkLabel* SearchLink() const { return link_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }
    // The flags of the latest transfer.
    const TransferFlags& Flags() const { return flags_; }

    void accept() override;

  protected:
  private:
    Session& session_;
    UiFonts fonts_;
    TransferOptions options_;
    TransferFlags flags_;
    QComboBox* category_ = nullptr;
    QLineEdit* discId_ = nullptr;
    LinkLabel* link_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

}  // namespace tracklore::app
