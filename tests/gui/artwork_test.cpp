// The artwork the icon tool draws at build time, read back as any program
// reads images: each picture of the Windows icon, the dialog's bitmap and
// an icon-theme PNG show what the drawing shows, at the sizes asked for.
#include "app/artwork.h"
#include "gui_support.h"

#include <QImageReader>

namespace
{
struct Artwork { const char* drawing; const char* size; const char* output; std::vector<QSize> pictures; };

const Artwork kArtwork[] = {
    {"tessaline.svg", "16,32,48", "tessaline.ico", {{16, 16}, {32, 32}, {48, 48}}},
    {"logo.svg", "100x79", "logo.bmp", {{100, 79}}},
    {"tessaline.svg", "64", "tessaline.png", {{64, 64}}},
};
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
