#pragma once

#include <QComboBox>
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
    // Hands the keyboard back to the owner's window: a window manager does not always do so
    // when a window in front of it goes.
    void hideEvent(QHideEvent* event) override;
    virtual void FirstShown() {}

  private:
    bool shown_ = false;
};

// A window that is up only while a job runs (a progress or transfer dialog): what comes up
// meanwhile (a message, a question) belongs to the window behind it, which stays.
void MarkAsPassing(QWidget* window);
// The window that owns what comes up over `widget`: its window, or, for a passing window, the
// first of its owners that is not passing. Null for null.
QWidget* LastingWindow(QWidget* widget);
// Raises and activates the window of `widget` when it is shown; nothing otherwise.
void ReturnFocusTo(QWidget* widget);

// Lets the window system show a window that was just shown, up to a second: until then a
// window manager may not have placed it, and a box centred over it would miss it.
void WaitUntilExposed(QWidget* window);

// Keeps the labels of `window` readable in any font: a label is at least as wide as its
// text, and the control after it (its buddy, or unless `buddiesOnly` the nearest control to
// its right on its row) starts after the text, its right edge staying, whenever that control
// is placed again. A label with nothing after it is left as it is.
void FitLabels(QWidget* window, bool buddiesOnly = false);

// A drop-down list whose field takes typed text: its list opens at the entry that matches the
// text in the field (exactly, else ignoring case), not at the first one.
class TypedTextComboBox : public QComboBox {
  public:
    using QComboBox::QComboBox;
    void showPopup() override;
};

// Shows long plain tips (more than LongTipLength characters) wrapped at a readable width
// instead of on one line across the screen. Installed on the application.
class LongTipWrapper : public QObject {
  public:
    static constexpr int LongTipLength = 80;
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override;
};
// The rich text that shows a plain tip wrapped, with its line breaks kept.
QString WrappedTip(const QString& tip);

// Places a dialog's controls at positions and sizes in dialog units of its font.
struct DialogPlacer {
    DialogBaseUnits units;
    void operator()(QWidget* widget, int x, int y, int width, int height) const;
};

// Sets up a modal dialog of fixed layout: its caption, its font and no help button in the
// title bar. Returns the placer for its controls, in dialog units of the font the dialog
// then has (the face the system found for the one asked for).
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
