// Draws the program icon at one size into a PNG file for the desktop's icon
// theme, at build time: render_icon ICON.svg SIZE OUTPUT.png
#include "app/artwork.h"

#include <cstdio>

int main(int argc, char* argv[])
{
    if (argc != 4)
    {
        std::fprintf(stderr, "usage: %s ICON.svg SIZE OUTPUT.png\n", argv[0]);
        return 2;
    }
    const int side = QString::fromLatin1(argv[2]).toInt();
    const QImage image = DrawSvg(QString::fromLocal8Bit(argv[1]), QSize(side, side));
    if (image.isNull() || !image.save(QString::fromLocal8Bit(argv[3]), "PNG"))
    {
        std::fprintf(stderr, "render_icon: cannot draw %s at size %s into %s\n", argv[1], argv[2], argv[3]);
        return 1;
    }
    return 0;
}
