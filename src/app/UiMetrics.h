#pragma once

#include <QFont>
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace tracklore::app {

// The three fonts of the program, all of the dialog face at 8 points: normal, bold (group
// box captions) and underlined (web links). The face is "Tahoma" where it exists, otherwise
// a free sans face of similar width. Their character height in pixels is 8 x the screen's
// vertical dots per inch / 72, rounded.
struct UiFonts {
    QFont normal;
    QFont bold;
    QFont underlined;
};
UiFonts MakeUiFonts(double dotsPerInchY);
QString DialogFontFamily();

// Dialog units: a dialog's places are given in quarters of the average character width and
// eighths of the character height of its font, as dialog templates count them.
struct DialogBaseUnits {
    int x = 4;
    int y = 8;
};
DialogBaseUnits BaseUnitsOf(const QFont& font);
// a * b / c rounded to the nearest whole number (halves away from zero).
int MulDiv(int a, int b, int c);
QRect DialogRect(DialogBaseUnits units, int x, int y, int width, int height);
QSize DialogSize(DialogBaseUnits units, int width, int height);

// The centring rule of every dialog, from window rectangles (frames included); divisions
// are truncated toward zero.
QPoint CenteredOver(const QRect& ownerFrame, const QSize& dialogFrame);
QPoint CenteredOnScreen(const QSize& screen, const QSize& dialogFrame, int captionHeight);
// Places a shown dialog over its owner (its parent's window), or on its screen without one.
// Only the position changes.
void CenterDialog(QWidget* dialog);

}  // namespace tracklore::app
