#pragma once

#include <QDialog>
#include <QString>

#include "app/UiMetrics.h"

class QFont;
class QObject;
class QPushButton;
class QTableView;
class QWidget;

namespace tracklore::app {

// A dialog that places itself over its owner (or on the screen without one) the first time
// it is shown; FirstShown() then runs once, for work that starts with the dialog.
class CentredDialog : public QDialog {
  public:
    using QDialog::QDialog;

  protected:
    void showEvent(QShowEvent* event) override;
    virtual void FirstShown() {}

  private:
    bool shown_ = false;
};

// Places a dialog's controls at positions and sizes in dialog units of its font.
struct DialogPlacer {
    DialogBaseUnits units;
    void operator()(QWidget* widget, int x, int y, int width, int height) const;
};

// Sets up a modal dialog of fixed layout: its caption, its font and no help button in the
// title bar. Returns the placer for its controls.
DialogPlacer PrepareDialog(QDialog* dialog, const QString& caption, const QFont& font);

// The look of a list of rows in columns: one whole row selected at a time, no editing, a
// grid, no row headers, rows of the font's height + 4, fixed column headers.
void SetRowListLook(QTableView* list, const QFont& font);

// Gives a control its number, as the dynamic property "controlId" by which tests and
// automation find it.
void SetControlId(QObject* object, int id);

// A push button of a dialog with its text, control number and tip. The default button is
// the one Enter presses; any other button never takes Enter for itself.
QPushButton* MakeDialogButton(QWidget* dialog, const QString& text, int controlId,
                              const QString& tip, bool isDefault);

}  // namespace tracklore::app
