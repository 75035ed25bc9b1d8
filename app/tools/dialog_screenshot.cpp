// Saves a picture of the converter dialog as it looks after a file has been
// chosen, for the documentation: dialog_screenshot OUTPUT.png [INPUT-PATH]
#include "app/converter_dlg.h"

#include <QApplication>
#include <QLineEdit>
#include <QPixmap>
#include <QTimer>

#include <cstdio>

namespace
{
const char* const kShownInput = "/home/user/models/ship.3ds";
}

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    if (argc < 2)
    {
        std::fprintf(stderr, "usage: %s OUTPUT.png [INPUT-PATH]\n", argv[0]);
        return 2;
    }
    const QString outputPath = QString::fromLocal8Bit(argv[1]);
    CConverterDlg dialog;
    const char* input = argc > 2 ? argv[2] : kShownInput;
    qobject_cast<QLineEdit*>(dialog.GetDlgItem(IDC_INPUT))->setText(QString::fromLocal8Bit(input));
    dialog.SetDefaultOutputName();

    int status = 1;
    // Grab once the dialog has been shown and painted.
    QTimer::singleShot(500, &dialog, [&] {
        status = dialog.grab().save(outputPath) ? 0 : 1;
        dialog.reject();
    });
    dialog.exec();
    if (status != 0)
        std::fprintf(stderr, "could not save %s\n", argv[1]);
    return status;
}
