#include "app/DialogParts.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QTextDocument>
#include <QThread>
#include <QToolTip>
#include <QVariant>
#include <QWindow>

namespace tracklore::app {

void CentredDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FitLabels(this);
        CenterDialog(this);
        FirstShown();
    }
}

void CentredDialog::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    if (QWidget* owner = parentWidget()) {
        ReturnFocusTo(owner);
    }
}

void MarkAsPassing(QWidget* window) {
    window->setProperty("passingWindow", true);
}

QWidget* LastingWindow(QWidget* widget) {
    QWidget* window = widget ? widget->window() : nullptr;
    while (window && window->property("passingWindow").toBool()) {
        QWidget* owner = window->parentWidget();
        window = owner ? owner->window() : nullptr;
    }
    return window;
}

void ReturnFocusTo(QWidget* widget) {
    QWidget* window = widget ? widget->window() : nullptr;
    if (!window || !window->isVisible()) {
        return;
    }
    window->raise();
    window->activateWindow();
}

void WaitUntilExposed(QWidget* window) {
    QElapsedTimer clock;
    clock.start();
    while (window->isVisible() && window->windowHandle() && !window->windowHandle()->isExposed() &&
           clock.elapsed() < 1000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
    QCoreApplication::processEvents();
}

namespace {

constexpr int LabelGap = 3;  // pixels between a label's text and the control after it

bool SameRow(const QRect& a, const QRect& b) {
    return a.top() < b.bottom() && b.top() < a.bottom();
}

// Moves the left edge of a label's neighbour past the label's text each time the neighbour
// is placed.
class LabelFitter : public QObject {
  public:
    LabelFitter(QLabel* label, QWidget* neighbour) : QObject(neighbour), label_(label) {
        neighbour->installEventFilter(this);
        Fit(neighbour);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!fitting_ && (event->type() == QEvent::Move || event->type() == QEvent::Resize)) {
            Fit(static_cast<QWidget*>(watched));
        }
        return false;
    }

  private:
    void Fit(QWidget* neighbour) {
        if (!label_ || label_->isHidden()) {
            return;
        }
        fitting_ = true;
        const int text = label_->sizeHint().width();
        if (label_->width() < text) {
            label_->resize(text, label_->height());
        }
        QRect place = neighbour->geometry();
        const int start = label_->x() + text + LabelGap;
        if (place.left() >= label_->x() && place.left() < start &&
            SameRow(label_->geometry(), place)) {
            place.setLeft(start);
            neighbour->setGeometry(place);
        }
        fitting_ = false;
    }

    QPointer<QLabel> label_;
    bool fitting_ = false;
};

// The control right of a label on its row that comes first.
QWidget* RightNeighbour(QLabel* label) {
    QWidget* nearest = nullptr;
    for (QObject* child : label->parentWidget()->children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (!widget || widget == label || widget->isWindow() || widget->x() <= label->x() ||
            !SameRow(label->geometry(), widget->geometry())) {
            continue;
        }
        if (!nearest || widget->x() < nearest->x()) {
            nearest = widget;
        }
    }
    return nearest;
}

}  // namespace

void FitLabels(QWidget* window, bool buddiesOnly) {
    for (QLabel* label : window->findChildren<QLabel*>()) {
        if (label->property("labelFitted").toBool() || label->wordWrap() ||
            !label->parentWidget() || label->text().isEmpty() || !label->pixmap().isNull()) {
            continue;
        }
        label->setProperty("labelFitted", true);
        QWidget* neighbour = label->buddy();
        if (neighbour && neighbour->parentWidget() != label->parentWidget()) {
            neighbour = nullptr;
        }
        if (!neighbour && !buddiesOnly) {
            neighbour = RightNeighbour(label);
        }
        if (neighbour) {
            new LabelFitter(label, neighbour);
        }
    }
}

void TypedTextComboBox::showPopup() {
    int match = findText(currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (match < 0) {
        match = findText(currentText(), Qt::MatchFixedString);
    }
    QComboBox::showPopup();
    if (match >= 0) {
        const QModelIndex entry = model()->index(match, modelColumn(), rootModelIndex());
        view()->setCurrentIndex(entry);
        view()->scrollTo(entry, QAbstractItemView::PositionAtCenter);
    }
}

QString WrappedTip(const QString& tip) {
    QString html = tip.toHtmlEscaped();
    html.replace('\n', QStringLiteral("<br>"));
    return QStringLiteral("<p style='white-space:pre-wrap'>") + html + QStringLiteral("</p>");
}

bool LongTipWrapper::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::ToolTip || !watched->isWidgetType()) {
        return false;
    }
    auto* widget = static_cast<QWidget*>(watched);
    const QString tip = widget->toolTip();
    if (tip.size() <= LongTipLength || Qt::mightBeRichText(tip)) {
        return false;
    }
    const auto* help = static_cast<QHelpEvent*>(event);
    QToolTip::showText(help->globalPos(), WrappedTip(tip), widget, QRect(),
                       widget->toolTipDuration());
    return true;
}

void DialogPlacer::operator()(QWidget* widget, int x, int y, int width, int height) const {
    widget->setGeometry(DialogRect(units, x, y, width, height));
}

DialogPlacer PrepareDialog(QDialog* dialog, const QString& caption, const QFont& font) {
    dialog->setWindowTitle(caption);
    dialog->setFont(font);
    dialog->setModal(true);
    dialog->setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    return DialogPlacer{BaseUnitsOf(dialog->font())};
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
