#pragma once

#include <QString>

class QObject;
class QPushButton;
class QWidget;

namespace tracklore::app {

// Gives a control its number, as the dynamic property "controlId" by which tests and
// automation find it.
void SetControlId(QObject* object, int id);

// A push button of a dialog with its text, control number and tip. The default button is
// the one Enter presses; any other button never takes Enter for itself.
QPushButton* MakeDialogButton(QWidget* dialog, const QString& text, int controlId,
                              const QString& tip, bool isDefault);

}  // namespace tracklore::app
