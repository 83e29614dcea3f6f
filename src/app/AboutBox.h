#pragma once

#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QUrl>

#include "app/DialogParts.h"
#include "app/UiMetrics.h"

class QPushButton;

namespace tracklore::app {

// "Über Tracklore": a picture with the version text and a link drawn on it, and an OK
// button in its lower right corner. The box is exactly as large as its picture, has no close
// box, ignores Escape, and is dragged by its picture. The link's hot rectangle is found
// while the picture is drawn.
class AboutBox : public CentredDialog {
    Q_OBJECT

  public:
    // linkText is drawn after the label "Tracklore Homepage:"; a click on it opens `link`.
    AboutBox(const UiFonts& fonts, const QString& linkText, const QUrl& link, QWidget* parent);

    QPushButton* OkButton() const { return ok_; }
    // Empty until the picture was first drawn.
    QRect LinkRect() const { return linkRect_; }
    QUrl Link() const { return link_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    UiFonts fonts_;
    QString linkText_;
    QUrl link_;
    QPixmap picture_;
    QRect linkRect_;
    QPushButton* ok_ = nullptr;
    bool dragging_ = false;
    QPoint dragOffset_;
};

}  // namespace tracklore::app
