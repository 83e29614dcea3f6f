#include "app/AboutBox.h"
#include "resources/StringIds.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QWindow>

#include "app/LinkLabel.h"
#include "app/Pictures.h"
#include "app/QtText.h"

namespace tracklore::app {

namespace {

const QColor TextGrey(192, 192, 192);
const QColor LinkWhite(255, 255, 255);
constexpr int ButtonMargin = 8;
constexpr int LinkSlack = 3;  // the hot rectangle reaches this far past the link text

// Draws a text with its cell's top left corner at (x, y) and answers the cell.
QRect DrawTextAt(QPainter& painter, int x, int y, const QString& text) {
    const QFontMetrics metrics(painter.font());
    const QRect cell(x, y, metrics.horizontalAdvance(text), metrics.height());
    painter.drawText(cell, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    return cell;
}
}  // namespace

AboutBox::AboutBox(const UiFonts& fonts, const QString& linkText, const QUrl& link, QWidget* parent)
    : CentredDialog(parent),
      fonts_(fonts),
      linkText_(linkText),
      link_(link),
      picture_(AboutPicture()) {
    setWindowTitle(Text(str::AboutCaption));
    setFont(fonts.normal);
    setModal(true);
    // A caption bar without a close box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);

    ok_ = new QPushButton(Text(str::AboutOk), this);
    ok_->setProperty("controlId", 1);
    ok_->setDefault(true);
    ok_->setToolTip(Text(str::TipClose));
    connect(ok_, &QPushButton::clicked, this, &AboutBox::accept);

    // The client area is the picture; the button keeps its size and sits 8 pixels inside the
    // picture's lower right corner.
    setFixedSize(picture_.size());
    const QSize button = DialogSize(BaseUnitsOf(fonts.normal), 50, 14);
    ok_->setGeometry(picture_.width() - ButtonMargin - button.width(),
                     picture_.height() - ButtonMargin - button.height(), button.width(),
                     button.height());
    move(20, 20);
    ok_->setFocus();
}

void AboutBox::paintEvent(QPaintEvent*) {
    QPixmap canvas = picture_;
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(fonts_.normal);
    painter.setPen(TextGrey);
    DrawTextAt(painter, 177, 126, Text(str::VersionLine));
    DrawTextAt(painter, 18, 164, Text(str::AboutSecondLine));
    const QRect label = DrawTextAt(painter, 18, 182, Text(str::HomepageLabel));
    painter.setFont(fonts_.underlined);
    painter.setPen(LinkWhite);
    const QRect linkCell = DrawTextAt(painter, label.width() + 24, 182, linkText_);
    painter.end();
    linkRect_ = QRect(linkCell.topLeft(),
                      QSize(linkCell.width() + LinkSlack, linkCell.height() + LinkSlack));
    QPainter(this).drawPixmap(0, 0, canvas);
}

void AboutBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QDialog::mousePressEvent(event);
        return;
    }
    event->accept();
    if (linkRect_.contains(event->position().toPoint())) {
        OpenLink(link_);
        return;
    }
    // Anywhere else the picture acts as the caption bar: the window system moves the box,
    // or where it cannot, the box follows the mouse itself.
    if (windowHandle() && windowHandle()->startSystemMove()) {
        return;
    }
    dragging_ = true;
    dragOffset_ = event->globalPosition().toPoint() - pos();
}

void AboutBox::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_) {
        move(event->globalPosition().toPoint() - dragOffset_);
        event->accept();
        return;
    }
    if (linkRect_.contains(event->position().toPoint())) {
        setCursor(Qt::PointingHandCursor);
    } else {
        unsetCursor();
    }
    QDialog::mouseMoveEvent(event);
}

void AboutBox::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        dragging_ = false;
    }
    QDialog::mouseReleaseEvent(event);
}

void AboutBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();  // only OK, Enter or a close request end the box
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace tracklore::app
