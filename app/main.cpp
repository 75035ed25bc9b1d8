#include "app/converter_app.h"
#include "platform/interrupt_cleanup.h"
#include "platform/version.h"

#include <QApplication>

#include <string>
#include <vector>

int main(int argc, char* argv[])
{
    // Before Qt starts its threads, which must inherit the blocked signals.
    RemoveTemporaryFilesOnInterrupt();

    // The arguments are the program's own, as received (paths stay the bytes
    // the system gave us): Qt sees only the program's name, so none of them is
    // taken for one of its options (-reverse, -style, -platform ...).
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    int qtArgumentCount = argc > 0 ? 1 : 0;
    QApplication application(qtArgumentCount, argv);
    QApplication::setApplicationName(QString::fromLatin1(version::kProductName));
    QApplication::setApplicationVersion(QString::fromLatin1(version::kVersionString));
    QGuiApplication::setDesktopFileName(QStringLiteral("tessaline"));

    CConverterApp theApp(arguments);
    theApp.InitInstance();
    return 0;
}
