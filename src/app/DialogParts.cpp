#include "app/DialogParts.h"

#include <QDialog>
#include <QFontMetrics>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QVariant>

namespace tracklore::app {

void CentredDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!shown_) {
        shown_ = true;
        CenterDialog(this);
        FirstShown();
    }
}

void DialogPlacer::operator()(QWidget* widget, int x, int y, int width, int height) const {
    widget->setGeometry(DialogRect(units, x, y, width, height));
}

DialogPlacer PrepareDialog(QDialog* dialog, const QString& caption, const QFont& font) {
    dialog->setWindowTitle(caption);
    dialog->setFont(font);
    dialog->setModal(true);
    dialog->setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    return DialogPlacer{BaseUnitsOf(font)};
}

void SetRowListLook(QTableView* list, const QFont& font) {
    list->setFont(font);
    list->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setShowGrid(true);
    list->setWordWrap(false);
    list->setTabKeyNavigation(false);
    list->setCornerButtonEnabled(false);
    list->setSortingEnabled(false);
    list->verticalHeader()->hide();
    list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    list->verticalHeader()->setDefaultSectionSize(QFontMetrics(font).height() + 4);
    QHeaderView* header = list->horizontalHeader();
    header->setFont(font);
    header->setSectionsClickable(false);
    header->setHighlightSections(false);
    header->setStretchLastSection(false);
    header->setMinimumSectionSize(8);
}

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
