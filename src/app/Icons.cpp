#include "app/Icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <cmath>
#include <functional>

namespace tracklore::app {

namespace {

using Painter = std::function<void(QPainter&)>;

const QColor Outline(70, 70, 70);
const QColor Paper(255, 255, 255);
const QColor FolderYellow(240, 200, 80);
const QColor FolderDark(200, 150, 40);
const QColor Blue(40, 100, 190);
const QColor Green(40, 150, 60);
const QColor DiscSilver(205, 210, 220);

QIcon Render(const Painter& paint) {
    QIcon icon;
    for (int size : {16, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(size / 16.0, size / 16.0);
        paint(painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QPen Line(const QColor& color, double width = 1.0) {
    QPen pen(color, width);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    return pen;
}

void Page(QPainter& p, double left = 3.5, double right = 12.5) {
    QPainterPath page;
    page.moveTo(left, 1.5);
    page.lineTo(right - 3, 1.5);
    page.lineTo(right, 4.5);
    page.lineTo(right, 14.5);
    page.lineTo(left, 14.5);
    page.closeSubpath();
    p.setPen(Line(Outline));
    p.setBrush(Paper);
    p.drawPath(page);
    QPainterPath corner;
    corner.moveTo(right - 3, 1.5);
    corner.lineTo(right - 3, 4.5);
    corner.lineTo(right, 4.5);
    p.setBrush(QColor(225, 225, 225));
    p.drawPath(corner);
}

void Folder(QPainter& p, bool open) {
    p.setPen(Line(FolderDark.darker(130)));
    p.setBrush(FolderDark);
    QPainterPath back;
    back.moveTo(1.5, 3.5);
    back.lineTo(6, 3.5);
    back.lineTo(7.5, 5);
    back.lineTo(13.5, 5);
    back.lineTo(13.5, 13.5);
    back.lineTo(1.5, 13.5);
    back.closeSubpath();
    p.drawPath(back);
    p.setBrush(FolderYellow);
    QPainterPath front;
    if (open) {
        front.moveTo(1.5, 13.5);
        front.lineTo(4, 7.5);
        front.lineTo(15.5, 7.5);
        front.lineTo(13.5, 13.5);
    } else {
        front.moveTo(1.5, 6.5);
        front.lineTo(13.5, 6.5);
        front.lineTo(13.5, 13.5);
        front.lineTo(1.5, 13.5);
    }
    front.closeSubpath();
    p.drawPath(front);
}

void Disc(QPainter& p, QPointF centre, double radius) {
    p.setPen(Line(Outline));
    QRadialGradient shine(centre, radius, centre - QPointF(radius / 2, radius / 2));
    shine.setColorAt(0, QColor(245, 245, 250));
    shine.setColorAt(0.6, DiscSilver);
    shine.setColorAt(1, QColor(160, 170, 190));
    p.setBrush(shine);
    p.drawEllipse(centre, radius, radius);
    p.setBrush(QColor(255, 255, 255));
    p.drawEllipse(centre, radius / 3.5, radius / 3.5);
}

void Magnifier(QPainter& p, QPointF centre, double radius) {
    p.setPen(Line(QColor(90, 60, 30), 2.2));
    p.drawLine(centre + QPointF(radius * 0.7, radius * 0.7),
               centre + QPointF(radius * 1.9, radius * 1.9));
    p.setPen(Line(Outline, 1.2));
    p.setBrush(QColor(190, 225, 255, 220));
    p.drawEllipse(centre, radius, radius);
}

void Note(QPainter& p, QPointF foot, const QColor& color) {
    // An eighth note: head at `foot`, stem up, flag to the right.
    p.setPen(Line(color, 1.2));
    p.drawLine(foot + QPointF(1.6, 0), foot + QPointF(1.6, -6));
    p.drawLine(foot + QPointF(1.6, -6), foot + QPointF(3.6, -4));
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawEllipse(foot, 1.9, 1.4);
}

void Arrow(QPainter& p, QPointF from, QPointF to, const QColor& color) {
    p.setPen(Line(color, 1.8));
    p.drawLine(from, to);
    QPointF direction = to - from;
    double length = std::hypot(direction.x(), direction.y());
    QPointF unit = direction / length;
    QPointF normal(-unit.y(), unit.x());
    QPolygonF head;
    head << to + unit * 1.5 << to - unit * 2.5 + normal * 2.8 << to - unit * 2.5 - normal * 2.8;
    p.setPen(Line(color, 0.8));
    p.setBrush(color);
    p.drawPolygon(head);
}

void TextLines(QPainter& p, double left, double right, double top, int count) {
    p.setPen(Line(QColor(120, 120, 120), 0.9));
    for (int i = 0; i < count; ++i) {
        double y = top + i * 2;
        p.drawLine(QPointF(left, y), QPointF(right - (i % 2 ? 1.5 : 0), y));
    }
}

// Undo's image: an arrow that turns back to the left over a bend; mirrored for redo.
void TurningArrow(QPainter& p, bool mirrored) {
    if (mirrored) {
        p.translate(16, 0);
        p.scale(-1, 1);
    }
    QPainterPath bend;
    bend.moveTo(13.5, 13);
    bend.cubicTo(14.5, 7.5, 11, 4.5, 6.5, 4.5);
    bend.lineTo(5, 4.5);
    p.setPen(Line(Blue.darker(120), 2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(bend);
    QPolygonF head;
    head << QPointF(1.5, 4.5) << QPointF(6, 0.8) << QPointF(6, 8.2);
    p.setPen(Line(Blue.darker(120), 0.8));
    p.setBrush(Blue);
    p.drawPolygon(head);
}

const Painter Painters[ToolbarImageCount] = {
    // New: an empty page with a spark.
    [](QPainter& p) {
        Page(p);
        p.setPen(Line(QColor(230, 170, 0), 1.1));
        p.drawLine(QPointF(13, 9), QPointF(13, 15));
        p.drawLine(QPointF(10, 12), QPointF(16, 12));
    },
    // Open: an open folder.
    [](QPainter& p) { Folder(p, true); },
    // Save: a disk.
    [](QPainter& p) {
        p.setPen(Line(Blue.darker(150)));
        p.setBrush(Blue);
        p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 1.5, 1.5);
        p.setBrush(Paper);
        p.drawRect(QRectF(4, 1.5, 8, 5.5));
        p.setBrush(QColor(200, 200, 210));
        p.drawRect(QRectF(4.5, 9.5, 7, 5));
        p.setPen(Qt::NoPen);
        p.setBrush(Blue.darker(150));
        p.drawRect(QRectF(9.5, 2.5, 1.5, 3.5));
    },
    // FreeDB search: a disc under a magnifier.
    [](QPainter& p) {
        Disc(p, QPointF(6.5, 6.5), 5.8);
        Magnifier(p, QPointF(10, 10), 3.2);
    },
    // MP3 scan: a note with a magnifier.
    [](QPainter& p) {
        Page(p, 1.5, 10.5);
        Note(p, QPointF(4.2, 11.5), Blue);
        Magnifier(p, QPointF(10.5, 9.5), 3.2);
    },
    // FreeDB fetch: a disc and a downward arrow.
    [](QPainter& p) {
        Disc(p, QPointF(6.5, 8.5), 5.8);
        Arrow(p, QPointF(12.5, 1), QPointF(12.5, 12.5), Green);
    },
    // Folder scan: a folder with a note.
    [](QPainter& p) {
        Folder(p, false);
        Note(p, QPointF(6.5, 12), QColor(255, 255, 255));
        Note(p, QPointF(6.5, 12), Blue);
    },
    // Swap titles: two arrows in opposite directions.
    [](QPainter& p) {
        Arrow(p, QPointF(4.5, 14.5), QPointF(4.5, 3), Blue);
        Arrow(p, QPointF(11.5, 1.5), QPointF(11.5, 13), Green);
    },
    // Settings: a gear.
    [](QPainter& p) {
        QPainterPath gear;
        const QPointF c(8, 8);
        const int teeth = 8;
        for (int i = 0; i < teeth * 2; ++i) {
            double angle = i * M_PI / teeth;
            double r = i % 2 ? 5.2 : 7.2;
            double a1 = angle - M_PI / teeth / 2.2;
            double a2 = angle + M_PI / teeth / 2.2;
            QPointF p1 = c + QPointF(r * std::cos(a1), r * std::sin(a1));
            QPointF p2 = c + QPointF(r * std::cos(a2), r * std::sin(a2));
            if (i == 0) {
                gear.moveTo(p1);
            } else {
                gear.lineTo(p1);
            }
            gear.lineTo(p2);
        }
        gear.closeSubpath();
        gear.addEllipse(c, 2.3, 2.3);
        gear.setFillRule(Qt::OddEvenFill);
        p.setPen(Line(QColor(60, 60, 70), 0.9));
        p.setBrush(QColor(150, 155, 170));
        p.drawPath(gear);
    },
    // Read-me: a page of text.
    [](QPainter& p) {
        Page(p);
        TextLines(p, 5.5, 10.5, 6, 4);
        p.setPen(Line(Blue, 1.1));
        p.drawLine(QPointF(5.5, 3.5), QPointF(8, 3.5));
    },
    // About: an "i" in a circle.
    [](QPainter& p) {
        p.setPen(Line(Blue.darker(140)));
        p.setBrush(Blue);
        p.drawEllipse(QPointF(8, 8), 6.8, 6.8);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(8, 4.6), 1.2, 1.2);
        p.drawRoundedRect(QRectF(6.9, 6.8, 2.2, 6.2), 0.6, 0.6);
    },
    // Undo: an arrow turning back to the left.
    [](QPainter& p) { TurningArrow(p, false); },
    // Redo: the same arrow turning to the right.
    [](QPainter& p) { TurningArrow(p, true); },
};

}  // namespace

QIcon ToolbarIcon(int image) {
    if (image < 0 || image >= ToolbarImageCount) {
        return QIcon();
    }
    return Render(Painters[image]);
}

QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 16.0, size / 16.0);
        Disc(p, QPointF(6.5, 6.5), 6.2);
        // A track list sheet in front of the disc.
        p.setPen(Line(Outline, 0.7));
        p.setBrush(Paper);
        p.drawRect(QRectF(7.5, 6.5, 8, 9));
        p.setPen(Line(Blue, 0.8));
        for (int i = 0; i < 4; ++i) {
            p.drawLine(QPointF(9, 8.5 + i * 2), QPointF(14, 8.5 + i * 2));
        }
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace tracklore::app
