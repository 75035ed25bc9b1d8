#include "app/artwork.h"

#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>

namespace
{
const char* const kIconResource = ":/artwork/tessaline.svg";
const char* const kLogoResource = ":/artwork/logo.svg";
constexpr int kIconSizes[] = {16, 32, 48, 64, 128};
} // namespace

QImage DrawSvg(const QString& file, QSize size, qreal devicePixelRatio)
{
    QSvgRenderer renderer(file);
    if (!renderer.isValid() || size.isEmpty())
        return {};
    QImage image(size * devicePixelRatio, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    painter.end();
    image.setDevicePixelRatio(devicePixelRatio);
    return image;
}

QSize PictureSizeWithin(QSize box)
{
    if (box.width() >= kLogoSize.width() && box.height() >= kLogoSize.height())
        return kLogoSize;
    return kLogoSize.scaled(box, Qt::KeepAspectRatio);
}

QIcon LoadProgramIcon()
{
    QIcon icon;
    for (int side : kIconSizes)
        icon.addPixmap(QPixmap::fromImage(DrawSvg(QString::fromLatin1(kIconResource), QSize(side, side))));
    return icon;
}

QPixmap LoadLogoPicture(QSize size, qreal devicePixelRatio)
{
    return QPixmap::fromImage(DrawSvg(QString::fromLatin1(kLogoResource), size, devicePixelRatio));
}
