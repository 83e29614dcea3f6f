#include "app/LinkLabel.h"

#include <QDesktopServices>
#include <QEvent>
#include <QMouseEvent>
#include <QPalette>

namespace tracklore::app {

namespace {
const QColor LinkColour(0, 0, 128);
constexpr int DarkFaceLightness = 128;
}  // namespace

QColor LinkColourOn(const QPalette& palette) {
    if (palette.color(QPalette::Window).lightness() < DarkFaceLightness) {
        return palette.color(QPalette::Link);
    }
    return LinkColour;
}

LinkLabel::LinkLabel(const QString& address, const QFont& underlinedFont, QWidget* parent)
    : QLabel(address, parent), address_(QUrl(address, QUrl::TolerantMode)) {
    setTextFormat(Qt::PlainText);
    setFont(underlinedFont);
    TakeColour();
    setCursor(Qt::PointingHandCursor);
}

void LinkLabel::TakeColour() {
    colouring_ = true;
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, LinkColourOn(colours));
    setPalette(colours);
    colouring_ = false;
}

void LinkLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    // A new theme: the face may have turned dark or light.
    if (event->type() == QEvent::PaletteChange && !colouring_) {
        TakeColour();
    }
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
