#include "app/converter_app.h"
#include "platform/version.h"

#include <QApplication>

#include <string>
#include <vector>

int main(int argc, char* argv[])
{
    // QApplication takes its own options (-style, -platform, ...) out of argv.
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(version::kProductName));
    QApplication::setApplicationVersion(QString::fromLatin1(version::kVersionString));
    QGuiApplication::setDesktopFileName(QStringLiteral("tessaline"));

    // Paths stay the bytes the system gave us.
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    CConverterApp theApp(arguments);
    theApp.InitInstance();
    return 0;
}
