#include "app/dialog_units.h"

#include <QFont>
#include <QFontMetrics>

namespace
{
constexpr int kQuartersPerCharWidth = 4;
constexpr int kEighthsPerCharHeight = 8;

// value * numerator / denominator rounded to the nearest integer, halves
// away from zero.
int ScaleRounded(int value, int numerator, int denominator)
{
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator : (product - half) / denominator);
}

int AverageLetterWidth(const QFontMetrics& metrics)
{
    static const QString kLetters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int letterCount = static_cast<int>(kLetters.size());
    return ScaleRounded(metrics.horizontalAdvance(kLetters), 1, letterCount);
}
} // namespace

DialogUnits::DialogUnits(const QFont& font)
    : DialogUnits(AverageLetterWidth(QFontMetrics(font)), QFontMetrics(font).height())
{
}

DialogUnits::DialogUnits(int averageCharWidth, int charHeight)
    : m_nAverageCharWidth(averageCharWidth), m_nCharHeight(charHeight)
{
}

int DialogUnits::ToPixelsX(int unitsX) const
{
    return ScaleRounded(unitsX, m_nAverageCharWidth, kQuartersPerCharWidth);
}

int DialogUnits::ToPixelsY(int unitsY) const
{
    return ScaleRounded(unitsY, m_nCharHeight, kEighthsPerCharHeight);
}

QRect DialogUnits::ToPixels(const QRect& units) const
{
    const QPoint topLeft(ToPixelsX(units.x()), ToPixelsY(units.y()));
    const QPoint bottomRightExclusive(ToPixelsX(units.x() + units.width()), ToPixelsY(units.y() + units.height()));
    return QRect(topLeft, QSize(bottomRightExclusive.x() - topLeft.x(), bottomRightExclusive.y() - topLeft.y()));
}

QSize DialogUnits::ToPixels(const QSize& units) const
{
    return QSize(ToPixelsX(units.width()), ToPixelsY(units.height()));
}
