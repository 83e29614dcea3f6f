#include "app/UiMetrics.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <cmath>
#include <cstdlib>

namespace tracklore::app {

QString DialogFontFamily() {
    // Tahoma where installed; Liberation Sans has the widths of the common Windows sans
    // faces; DejaVu Sans is wider but always there on Debian.
    const QStringList families = QFontDatabase::families();
    for (const char* face : {"Tahoma", "Liberation Sans", "DejaVu Sans"}) {
        if (families.contains(QString::fromLatin1(face), Qt::CaseInsensitive)) {
            return QString::fromLatin1(face);
        }
    }
    return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
}

UiFonts MakeUiFonts(double dotsPerInchY) {
    UiFonts fonts;
    QFont font(DialogFontFamily());
    font.setPixelSize(static_cast<int>(std::lround(8.0 * dotsPerInchY / 72.0)));
    font.setWeight(QFont::Normal);
    font.setStyleStrategy(QFont::PreferAntialias);
    fonts.normal = font;
    fonts.bold = font;
    fonts.bold.setWeight(QFont::Bold);
    fonts.underlined = font;
    fonts.underlined.setUnderline(true);
    return fonts;
}

DialogBaseUnits BaseUnitsOf(const QFont& font) {
    QFontMetrics metrics(font);
    int width = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    DialogBaseUnits units;
    units.x = (width / 26 + 1) / 2;
    units.y = metrics.height();
    return units;
}

int MulDiv(int a, int b, int c) {
    if (c == 0) {
        return -1;
    }
    long long product = static_cast<long long>(a) * b;
    long long half = std::llabs(static_cast<long long>(c)) / 2;
    bool negative = (product < 0) != (c < 0);
    long long magnitude = (std::llabs(product) + half) / std::llabs(static_cast<long long>(c));
    return static_cast<int>(negative ? -magnitude : magnitude);
}

QRect DialogRect(DialogBaseUnits units, int x, int y, int width, int height) {
    return QRect(MulDiv(x, units.x, 4), MulDiv(y, units.y, 8), MulDiv(width, units.x, 4),
                 MulDiv(height, units.y, 8));
}

QSize DialogSize(DialogBaseUnits units, int width, int height) {
    return QSize(MulDiv(width, units.x, 4), MulDiv(height, units.y, 8));
}

QPoint CenteredOver(const QRect& ownerFrame, const QSize& dialogFrame) {
    return QPoint(ownerFrame.left() + (ownerFrame.width() - dialogFrame.width()) / 2,
                  ownerFrame.top() + (ownerFrame.height() - dialogFrame.height()) / 2);
}

QPoint CenteredOnScreen(const QSize& screen, const QSize& dialogFrame, int captionHeight) {
    return QPoint((screen.width() - dialogFrame.width()) / 2,
                  (screen.height() - dialogFrame.height() - captionHeight) / 2);
}

void CenterDialog(QWidget* dialog) {
    QWidget* owner = dialog->parentWidget() ? dialog->parentWidget()->window() : nullptr;
    const QSize frame = dialog->frameGeometry().size();
    if (owner && owner->isVisible()) {
        dialog->move(CenteredOver(owner->frameGeometry(), frame));
        return;
    }
    QScreen* screen = dialog->screen() ? dialog->screen() : QGuiApplication::primaryScreen();
    if (!screen) {
        return;
    }
    int caption = dialog->style()->pixelMetric(QStyle::PM_TitleBarHeight);
    dialog->move(CenteredOnScreen(screen->size(), frame, caption));
}

}  // namespace tracklore::app
