#include "app/DialogParts.h"

#include <QPushButton>
#include <QVariant>

namespace tracklore::app {

void SetControlId(QObject* object, int id) {
    object->setProperty("controlId", id);
}

QPushButton* MakeDialogButton(QWidget* dialog, const QString& text, int controlId,
                              const QString& tip, bool isDefault) {
    auto* button = new QPushButton(text, dialog);
    SetControlId(button, controlId);
    if (isDefault) {
        button->setDefault(true);
    } else {
        button->setAutoDefault(false);
    }
    button->setToolTip(tip);
    return button;
}

}  // namespace tracklore::app
