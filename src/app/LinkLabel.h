#pragma once

#include <QLabel>
#include <QUrl>

namespace tracklore::app {

// A web link in a dialog: its address as underlined text in dark blue on the dialog's face,
// a pointing hand while the mouse is over it, and a click hands the address to the desktop,
// whose browser shows the page. A failed hand-over is not reported.
class LinkLabel : public QLabel {
  public:
    LinkLabel(const QString& address, const QFont& underlinedFont, QWidget* parent = nullptr);
    QUrl Address() const { return address_; }

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    QUrl address_;
    bool pressed_ = false;
};

// Hands an address to the desktop's default action (the browser for a web page).
void OpenLink(const QUrl& address);

}  // namespace tracklore::app
