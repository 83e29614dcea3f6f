#include "app/LinkLabel.h"

#include <QDesktopServices>
#include <QMouseEvent>

namespace tracklore::app {

namespace {
const QColor LinkColour(0, 0, 128);
}

LinkLabel::LinkLabel(const QString& address, const QFont& underlinedFont, QWidget* parent)
    : QLabel(address, parent), address_(QUrl(address, QUrl::TolerantMode)) {
    setTextFormat(Qt::PlainText);
    setFont(underlinedFont);
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, LinkColour);
    setPalette(colours);
    setCursor(Qt::PointingHandCursor);
}

void LinkLabel::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    event->accept();
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    // A click: pressed and released over the link.
    bool click = pressed_ && event->button() == Qt::LeftButton &&
                 rect().contains(event->position().toPoint());
    pressed_ = false;
    event->accept();
    if (click) {
        OpenLink(address_);
    }
}

void OpenLink(const QUrl& address) {
    if (address.isValid() && !address.isEmpty()) {
        QDesktopServices::openUrl(address);
    }
}

}  // namespace tracklore::app
