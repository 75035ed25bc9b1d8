// Saves what an X window shows into a PNG file: the picture of the Windows
// dialog, run under Wine on a virtual X server, for the documentation
// (scripts/screenshot-windows-dialog.sh): grab_window WINDOW-ID OUTPUT.png
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <cstdio>

int main(int argc, char* argv[])
{
    if (argc != 3)
    {
        std::fprintf(stderr, "usage: %s WINDOW-ID OUTPUT.png\n", argv[0]);
        return 2;
    }
    QGuiApplication application(argc, argv);
    bool isNumber = false;
    const WId window = QString::fromLatin1(argv[1]).toULongLong(&isNumber, 0);
    const QPixmap picture = isNumber ? QGuiApplication::primaryScreen()->grabWindow(window) : QPixmap();
    if (picture.isNull() || !picture.save(QString::fromLocal8Bit(argv[2]), "PNG"))
    {
        std::fprintf(stderr, "grab_window: cannot save window %s into %s\n", argv[1], argv[2]);
        return 1;
    }
    return 0;
}
