#pragma once

#include "app/DialogParts.h"
#include "app/UiMetrics.h"
#include "flows/EditingCommands.h"
#include "flows/Session.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace tracklore::app {

// The track properties dialog: length, title and performer of one track, laid out from its
// dialog units in the dialog font. OK checks the length and stores the fields; every
// warning keeps the dialog open with the focus on the length field.
class TrackDialog : public CentredDialog {
    Q_OBJECT

  public:
    TrackDialog(Session& session, int index, const UiFonts& fonts, QWidget* parent);

    QLineEdit* LengthEdit() const { return length_; }
    QLineEdit* TitleEdit() const { return title_; }
    QLineEdit* PerformerEdit() const { return performer_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }

    void accept() override;

  protected:
  private:
    Session& session_;
    int index_;
    TrackProperties shown_;
    QLineEdit* length_ = nullptr;
    QLineEdit* title_ = nullptr;
    QLineEdit* performer_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

}  // namespace tracklore::app
