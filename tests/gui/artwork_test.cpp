// The artwork the icon tool draws at build time, read back as any program
// reads images: each picture of the Windows icon, the dialog's bitmap and
// an icon-theme PNG show what the drawing shows, at the sizes asked for.
#include "app/artwork.h"
#include "gui_support.h"

#include <QFile>
#include <QImageReader>

#include <cstdint>

namespace
{
struct Artwork { const char* drawing; const char* size; const char* output; std::vector<QSize> pictures; };

const Artwork kArtwork[] = {
    {"tessaline.svg", "16,32,48", "tessaline.ico", {{16, 16}, {32, 32}, {48, 48}}},
    {"logo.svg", "100x79", "logo.bmp", {{100, 79}}},
    {"tessaline.svg", "64", "tessaline.png", {{64, 64}}},
};
std::uint32_t Little(const QByteArray& bytes, qsizetype at, int size)
{
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = value << 8 | static_cast<std::uint8_t>(bytes.at(at + i));
    return value;
}

// Each entry of an icon's directory against the picture it points at: the
// side, the bytes it says the picture has, and the picture's own header
// (40 bytes, twice the height for colour and mask, 32 bits, the size of its
// pixels and mask), pictures one after the other up to the file's end.
QString IconDirectoryFault(const QByteArray& icon, const std::vector<QSize>& pictures)
{
    if (Little(icon, 0, 2) != 0 || Little(icon, 2, 2) != 1 || Little(icon, 4, 2) != pictures.size())
        return "header";
    std::uint32_t expectedOffset = 6 + 16 * std::uint32_t(pictures.size());
    for (std::size_t i = 0; i < pictures.size(); ++i)
    {
        const qsizetype entry = 6 + 16 * qsizetype(i);
        const std::uint32_t side = std::uint32_t(pictures[i].width()), size = Little(icon, entry + 8, 4), offset = Little(icon, entry + 12, 4);
        const std::uint32_t maskBytes = (side + 31) / 32 * 4 * side;
        if (Little(icon, entry, 1) != side || Little(icon, entry + 1, 1) != side || Little(icon, entry + 4, 2) != 1 ||
            Little(icon, entry + 6, 2) != 32 || offset != expectedOffset || size != 40 + side * side * 4 + maskBytes)
            return QString("entry %1").arg(i);
        const std::uint32_t header[] = {Little(icon, offset, 4), Little(icon, offset + 4, 4), Little(icon, offset + 8, 4),
                                        Little(icon, offset + 12, 2), Little(icon, offset + 14, 2), Little(icon, offset + 20, 4)};
        if (header[0] != 40 || header[1] != side || header[2] != 2 * side || header[3] != 1 || header[4] != 32 ||
            header[5] != side * side * 4 + maskBytes)
            return QString("picture %1").arg(i);
        expectedOffset += size;
    }
    return expectedOffset == std::uint32_t(icon.size()) ? QString() : QString("length");
}
} // namespace

class ArtworkTest : public QObject
{
    Q_OBJECT

private slots:
    void filesShowTheDrawing()
    {
        support::TemporaryFolder folder;
        for (const Artwork& artwork : kArtwork)
        {
            const QString drawing = QStringLiteral(TESSALINE_SOURCE_DIR "/app/artwork/") + artwork.drawing;
            const std::string output = folder / artwork.output;
            const auto run = support::Run({TESSALINE_RENDER_ICON_PATH, drawing.toStdString(), artwork.size, output});
            QCOMPARE(run.status, 0);
            if (std::string_view(artwork.output).ends_with(".ico"))
            {
                QFile icon(QString::fromStdString(output));
                QVERIFY(icon.open(QIODevice::ReadOnly));
                QCOMPARE(IconDirectoryFault(icon.readAll(), artwork.pictures), QString());
            }
            QImageReader reader(QString::fromStdString(output));
            QCOMPARE(reader.imageCount(), int(artwork.pictures.size()));
            // A bitmap keeps no alpha: what shows over black.
            const bool bitmap = std::string_view(artwork.output).ends_with(".bmp");
            const QImage::Format format = bitmap ? QImage::Format_RGB32 : QImage::Format_ARGB32;
            for (std::size_t i = 0; i < artwork.pictures.size(); ++i)
            {
                QVERIFY(i == 0 || reader.jumpToNextImage());
                const QImage read = reader.read().convertToFormat(format);
                const QImage drawn = DrawSvg(drawing, artwork.pictures[i]).convertToFormat(format);
                QCOMPARE(read.size(), artwork.pictures[i]);
                QVERIFY2(read == drawn, artwork.output);
            }
        }
    }
};

QTEST_MAIN(ArtworkTest)
#include "artwork_test.moc"
