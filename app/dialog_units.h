#pragma once

#include <QRect>
#include <QSize>

class QFont;

// Dialog units: a layout measure tied to the dialog font, a quarter of the
// font's average character width across and an eighth of its height down,
// so a layout written in them keeps its proportions with any font.
class DialogUnits
{
public:
    // The base units of a font: the average width of its letters A-Z and a-z
    // rounded to whole pixels, and its line height.
    explicit DialogUnits(const QFont& font);
    DialogUnits(int averageCharWidth, int charHeight);

    int ToPixelsX(int unitsX) const;
    int ToPixelsY(int unitsY) const;

    // Converts the corners rather than the sizes, so that rectangles that
    // touch in dialog units still touch in pixels.
    QRect ToPixels(const QRect& units) const;
    QSize ToPixels(const QSize& units) const;

private:
    int m_nAverageCharWidth;
    int m_nCharHeight;
};
