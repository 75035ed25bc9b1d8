#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QString>

// The program's own pictures, drawn from the SVG files in its resources.

// An SVG file drawn at size (device-independent pixels) for a screen of the
// given pixel ratio; a null image when the file cannot be read.
QImage DrawSvg(const QString& file, QSize size, qreal devicePixelRatio = 1.0);

// The picture beside the controls, at its natural size.
inline constexpr QSize kLogoSize(100, 79);

// The size the picture is shown at in a box: its own size, or, when the box
// is smaller than that, shrunk to fit it, to scale.
QSize PictureSizeWithin(QSize box);

// The window icon, drawn at 16 x 16 and 32 x 32 and at the larger sizes that
// task bars and high-density screens ask for.
QIcon LoadProgramIcon();

// The picture drawn at size (device-independent pixels) for a screen of the
// given pixel ratio, so that it stays sharp on high-density screens.
QPixmap LoadLogoPicture(QSize size, qreal devicePixelRatio);
