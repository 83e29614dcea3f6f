#pragma once

#include <QLabel>
#include <QUrl>

namespace tracklore::app {

// A web link in a dialog: its address as underlined text in dark blue on the dialog's face
// (in the palette's link colour on a dark face),
// a pointing hand while the mouse is over it, and a click hands the address to the desktop,
// whose browser shows the page. A failed hand-over is not reported.
class LinkLabel : public QLabel {
  public:
    LinkLabel(const QString& address, const QFont& underlinedFont, QWidget* parent = nullptr);
    QUrl Address() const { return address_; }

  protected:
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void TakeColour();

    QUrl address_;
    bool colouring_ = false;
    bool pressed_ = false;
};

// The colour of a link on a face of the palette: dark blue on a light face, the palette's
// link colour on a dark one (window lightness below 128), where dark blue cannot be read.
QColor LinkColourOn(const QPalette& palette);

// Hands an address to the desktop's default action (the browser for a web page).
void OpenLink(const QUrl& address);

}  // namespace tracklore::app
