#include "app/Pictures.h"

#include <QConicalGradient>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QRadialGradient>

#include "app/QtText.h"
#include "app/UiMetrics.h"
#include "resources/Strings.h"

namespace tracklore::app {

namespace {

// A disc: a silver face with a soft rainbow sheen, faint grooves, the clear clamping ring and
// the hole, which shows `ground`.
void PaintDisc(QPainter& p, QPointF centre, double radius, const QColor& ground) {
    QConicalGradient sheen(centre, 35);
    sheen.setColorAt(0.00, QColor(214, 220, 228));
    sheen.setColorAt(0.15, QColor(176, 204, 232));
    sheen.setColorAt(0.30, QColor(228, 216, 240));
    sheen.setColorAt(0.45, QColor(206, 232, 218));
    sheen.setColorAt(0.60, QColor(214, 220, 228));
    sheen.setColorAt(0.75, QColor(236, 226, 206));
    sheen.setColorAt(0.90, QColor(184, 208, 236));
    sheen.setColorAt(1.00, QColor(214, 220, 228));
    p.setPen(QPen(QColor(110, 120, 138), std::max(1.0, radius / 40)));
    p.setBrush(sheen);
    p.drawEllipse(centre, radius, radius);

    if (radius > 20) {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(255, 255, 255, 40), 1));
        for (double r = radius * 0.45; r < radius - 3; r += radius / 11) {
            p.drawEllipse(centre, r, r);
        }
    }
    const double clamp = radius * 0.32;
    p.setPen(QPen(QColor(150, 158, 172), 1));
    p.setBrush(QColor(236, 239, 244, 215));
    p.drawEllipse(centre, clamp, clamp);
    const double hole = radius * 0.12;
    p.setBrush(ground);
    p.setPen(QPen(QColor(120, 128, 142), 1));
    p.drawEllipse(centre, hole, hole);
}

}  // namespace

QPixmap TransferPicture() {
    // The disc's hole shows the dialog's face, light or dark.
    const QColor face = QGuiApplication::palette().color(QPalette::Window);
    QPixmap picture(48, 32);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);

    // The network: a globe with its meridians and parallels.
    const QPointF globe(38.5, 12.5);
    const double r = 8.5;
    QRadialGradient sea(globe + QPointF(-3, -3), r * 1.6);
    sea.setColorAt(0, QColor(120, 170, 230));
    sea.setColorAt(1, QColor(30, 80, 160));
    p.setPen(QPen(QColor(25, 60, 120), 1));
    p.setBrush(sea);
    p.drawEllipse(globe, r, r);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(220, 235, 255, 170), 0.8));
    p.drawEllipse(globe, r * 0.45, r);
    p.drawLine(QPointF(globe.x(), globe.y() - r), QPointF(globe.x(), globe.y() + r));
    p.drawLine(QPointF(globe.x() - r, globe.y()), QPointF(globe.x() + r, globe.y()));

    // The record travels from the network to the disc.
    QPainterPath arrow;
    arrow.moveTo(30, 20);
    arrow.quadTo(26, 27, 19, 27);
    p.setPen(QPen(QColor(40, 150, 60), 2, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(arrow);
    QPainterPath head;
    head.moveTo(16, 27);
    head.lineTo(21, 23.5);
    head.lineTo(21, 30.5);
    head.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 150, 60));
    p.drawPath(head);

    PaintDisc(p, QPointF(12.5, 14.5), 11.5, face);
    return picture;
}

QPixmap AboutPicture() {
    QPixmap picture(AboutPictureWidth, AboutPictureHeight);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QRectF all(0, 0, AboutPictureWidth, AboutPictureHeight);

    // A night-blue ground with a soft light behind the disc.
    QLinearGradient ground(0, 0, 0, AboutPictureHeight);
    ground.setColorAt(0, QColor(30, 44, 70));
    ground.setColorAt(1, QColor(10, 16, 28));
    p.fillRect(all, ground);
    const QPointF centre(92, 80);
    QRadialGradient glow(centre, 120);
    glow.setColorAt(0, QColor(90, 130, 190, 110));
    glow.setColorAt(1, QColor(90, 130, 190, 0));
    p.fillRect(all, glow);

    PaintDisc(p, centre, 64, QColor(40, 58, 88));

    // The program's name, right of the disc, above the version line.
    QFont name(DialogFontFamily());
    name.setBold(true);
    name.setPixelSize(42);
    const QString title = Text(str::AppName);
    while (name.pixelSize() > 12 &&
           QFontMetrics(name).horizontalAdvance(title) > AboutPictureWidth - 177 - 12) {
        name.setPixelSize(name.pixelSize() - 2);
    }
    p.setFont(name);
    p.setPen(QColor(232, 238, 247));
    p.drawText(QPointF(175, 112), title);

    // A strip of track segments: a CD's tracks along its playing time.
    const double strip[] = {0.0, 0.14, 0.27, 0.45, 0.58, 0.71, 0.86, 1.0};
    const double left = 18;
    const double right = AboutPictureWidth - 18;
    for (std::size_t i = 0; i + 1 < std::size(strip); ++i) {
        const double x0 = left + (right - left) * strip[i];
        const double x1 = left + (right - left) * strip[i + 1] - 2;
        p.setPen(Qt::NoPen);
        p.setBrush(i % 2 == 0 ? QColor(66, 108, 168) : QColor(96, 144, 204));
        p.drawRoundedRect(QRectF(x0, 148, x1 - x0, 6), 2, 2);
    }
    return picture;
}

}  // namespace tracklore::app
