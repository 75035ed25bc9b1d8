// Draws the program's artwork into files at build time:
//   render_icon ICON.svg SIZE OUTPUT.png         one square PNG for the icon theme
//   render_icon ICON.svg SIZE,SIZE,... OUTPUT.ico a Windows icon of those sizes
//   render_icon PICTURE.svg WIDTHxHEIGHT OUTPUT.bmp a 24-bit Windows bitmap
// The Windows build takes its icon and picture from here: its own compiler
// has no SVG renderer, so a native build draws them first.
#include "app/artwork.h"

#include <QFile>
#include <QStringList>

#include <cstdint>
#include <cstdio>
#include <utility>
#include <vector>

namespace
{
QSize ParseSize(const QString& text)
{
    const QStringList sides = text.split('x');
    const int width = sides.value(0).toInt();
    return QSize(width, sides.size() > 1 ? sides.value(1).toInt() : width);
}

void Append16(QByteArray& bytes, std::uint16_t value)
{
    bytes.append(static_cast<char>(value & 0xFF)).append(static_cast<char>(value >> 8));
}

void Append32(QByteArray& bytes, std::uint32_t value)
{
    Append16(bytes, static_cast<std::uint16_t>(value & 0xFFFF));
    Append16(bytes, static_cast<std::uint16_t>(value >> 16));
}

// One icon image as the icon format stores it: a bitmap header of twice the
// height (colour and mask), 32-bit pixels from the bottom row up with their
// alpha, then a mask that hides nothing, since the alpha says what shows.
QByteArray IconImage(const QImage& drawn)
{
    const QImage image = drawn.convertToFormat(QImage::Format_ARGB32);
    const int side = image.width();
    const int maskRowBytes = (side + 31) / 32 * 4;
    QByteArray bytes;
    Append32(bytes, 40);
    Append32(bytes, static_cast<std::uint32_t>(side));
    Append32(bytes, static_cast<std::uint32_t>(2 * side));
    Append16(bytes, 1);  // planes
    Append16(bytes, 32); // bits per pixel
    Append32(bytes, 0);  // no compression
    Append32(bytes, static_cast<std::uint32_t>(side * side * 4 + maskRowBytes * side));
    for (int unused = 0; unused < 4; ++unused)
        Append32(bytes, 0);
    for (int y = side - 1; y >= 0; --y)
        for (int x = 0; x < side; ++x)
            Append32(bytes, image.pixel(x, y)); // 0xAARRGGBB: B, G, R, A in memory
    bytes.append(QByteArray(maskRowBytes * side, '\0'));
    return bytes;
}

bool WriteIcon(const QString& svg, const QString& sizes, const QString& output)
{
    std::vector<std::pair<int, QByteArray>> images; // side, image
    for (const QString& size : sizes.split(','))
    {
        const int side = size.toInt();
        const QImage image = DrawSvg(svg, QSize(side, side));
        if (image.isNull() || side > 255)
            return false;
        images.emplace_back(side, IconImage(image));
    }
    QByteArray bytes;
    Append16(bytes, 0);
    Append16(bytes, 1); // an icon, not a cursor
    Append16(bytes, static_cast<std::uint16_t>(images.size()));
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(images.size());
    for (const auto& [side, image] : images)
    {
        bytes.append(static_cast<char>(side)).append(static_cast<char>(side));
        bytes.append('\0').append('\0'); // no palette, reserved
        Append16(bytes, 1);
        Append16(bytes, 32);
        Append32(bytes, static_cast<std::uint32_t>(image.size()));
        Append32(bytes, offset);
        offset += static_cast<std::uint32_t>(image.size());
    }
    for (const auto& [side, image] : images)
        bytes.append(image);
    QFile file(output);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

bool WriteImage(const QString& svg, const QString& size, const QString& output, const char* format)
{
    QImage image = DrawSvg(svg, ParseSize(size));
    if (image.isNull())
        return false;
    // A bitmap has no alpha: 24 bits a pixel.
    if (qstrcmp(format, "BMP") == 0)
        image = image.convertToFormat(QImage::Format_RGB888);
    return image.save(output, format);
}
} // namespace

int main(int argc, char* argv[])
{
    if (argc != 4)
    {
        std::fprintf(stderr, "usage: %s ARTWORK.svg SIZE OUTPUT.png|.ico|.bmp\n", argv[0]);
        return 2;
    }
    const QString svg = QString::fromLocal8Bit(argv[1]);
    const QString size = QString::fromLatin1(argv[2]);
    const QString output = QString::fromLocal8Bit(argv[3]);
    const bool written = output.endsWith(".ico")   ? WriteIcon(svg, size, output)
                         : output.endsWith(".bmp") ? WriteImage(svg, size, output, "BMP")
                                                   : WriteImage(svg, size, output, "PNG");
    if (!written)
    {
        std::fprintf(stderr, "render_icon: cannot draw %s at size %s into %s\n", argv[1], argv[2], argv[3]);
        return 1;
    }
    return 0;
}
