#include "app/converter_app.h"
#include "app/converter_command_line_info.h"
#include "app/version_text.h"
#include "dialog_test_support.h"
#include "gui_test_registry.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace gui_test;

namespace
{
std::vector<std::string> ToArguments(const QStringList& list)
{
    std::vector<std::string> arguments;
    for (const QString& argument : list)
        arguments.push_back(QFile::encodeName(argument).toStdString());
    return arguments;
}

// Runs InitInstance, calls inspect on its dialog once the dialog is on the
// screen, and closes the dialog if it is still open after that.
bool RunStartUp(const QStringList& arguments, const std::function<void(CConverterDlg&)>& inspect)
{
    CConverterApp app(ToArguments(arguments));
    bool inspected = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<CConverterDlg*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        if (QTest::qWaitForWindowExposed(dialog))
        {
            inspect(*dialog);
            inspected = true;
        }
        if (dialog->isVisible())
            dialog->reject();
    });
    const bool result = app.InitInstance();
    return !result && inspected;
}
} // namespace

class CommandLineTest : public QObject
{
    Q_OBJECT

private slots:
    void parseCommandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("option");
        QTest::addColumn<bool>("flip");

        QTest::newRow("none") << QStringList{} << "" << "" << false;
        QTest::newRow("input path") << QStringList{"a.3ds"} << "a.3ds" << "" << false;
        QTest::newRow("-flip") << QStringList{"a.3ds", "-flip"} << "a.3ds" << "flip" << true;
        QTest::newRow("flip") << QStringList{"a.3ds", "flip"} << "a.3ds" << "flip" << true;
        QTest::newRow("-FLIP: letter case counts") << QStringList{"a.3ds", "-FLIP"} << "a.3ds" << "FLIP" << false;
        QTest::newRow("--flip: one dash removed") << QStringList{"a.3ds", "--flip"} << "a.3ds" << "-flip" << false;
        QTest::newRow("other option") << QStringList{"a.3ds", "x"} << "a.3ds" << "x" << false;
        QTest::newRow("third argument ignored") << QStringList{"a.3ds", "x", "-flip"} << "a.3ds" << "x" << false;
        QTest::newRow("empty first argument") << QStringList{"", "a.3ds", "-flip"} << "a.3ds" << "flip" << true;
        QTest::newRow("empty, then -flip") << QStringList{"", "-flip"} << "flip" << "" << false;
        QTest::newRow("-a.3ds") << QStringList{"-a.3ds"} << "a.3ds" << "" << false;
        QTest::newRow("lone dash fills no slot") << QStringList{"-", "a.3ds", "-", "-flip"} << "a.3ds" << "flip"
                                                 << true;
        QTest::newRow("path with spaces") << QStringList{"/m/my ship.3ds"} << "/m/my ship.3ds" << "" << false;
        // '/' begins absolute paths here, so it is no flag prefix.
        QTest::newRow("absolute path kept") << QStringList{"/home/u/a.3ds"} << "/home/u/a.3ds" << "" << false;
        QTest::newRow("/flip is a path") << QStringList{"a.3ds", "/flip"} << "a.3ds" << "/flip" << false;
        QTest::newRow("lone slash is the root") << QStringList{"/", "-flip"} << "/" << "flip" << true;
    }

    void parseCommandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, input);
        QFETCH(QString, option);
        QFETCH(bool, flip);

        CConverterCommandLineInfo info;
        ParseCommandLine(ToArguments(arguments), info);
        QCOMPARE(QString::fromStdString(info.m_strInput), input);
        QCOMPARE(QString::fromStdString(info.m_strOption), option);
        QCOMPARE(info.m_bFlip, flip);
    }

    // What start-up hands the dialog, and whether the dialog then converts by
    // itself: the input path here names no file, so a run leaves its message.
    void startUpFillsTheDialog_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("output");
        QTest::addColumn<bool>("flip");
        QTest::addColumn<QString>("status");

        const QString banner = QString::fromStdString(StatusBanner());
        QTest::newRow("no arguments") << QStringList{} << "" << "" << false << banner;
        QTest::newRow("input path") << QStringList{"/no/such/a.3ds"} << "/no/such/a.3ds" << "/no/such/a.DTQ" << false
                                    << "Error: Could not open Input file: /no/such/a.3ds";
        QTest::newRow("input path, -flip") << QStringList{"/no/such/a.3ds", "-flip"} << "/no/such/a.3ds"
                                           << "/no/such/a.DTQ" << true
                                           << "Error: Could not open Input file: /no/such/a.3ds";
        QTest::newRow("empty, then -flip") << QStringList{"", "-flip"} << "flip" << "fDTQ" << false
                                           << "Error: Could not open Input file: flip";
        QTest::newRow("short path") << QStringList{"/q"} << "/q" << "/q.DTQ" << false
                                    << "Error: Could not open Input file: /q";
    }

    void startUpFillsTheDialog()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, input);
        QFETCH(QString, output);
        QFETCH(bool, flip);
        QFETCH(QString, status);

        const bool inspected = RunStartUp(arguments, [&](CConverterDlg& dialog) {
            QTRY_COMPARE(Text(dialog, IDC_STATUS), status);
            QCOMPARE(Text(dialog, IDC_INPUT), input);
            QCOMPARE(Text(dialog, IDC_OUTPUT), output);
            QCOMPARE(Button(dialog, IDC_FLIP)->isChecked(), flip);
        });
        QVERIFY(inspected);
    }

    void startUpConvertsAndEndsWhenTheDialogCloses()
    {
        QTemporaryDir folder;
        const QString input = WriteModel(folder, QStringLiteral("ship.3ds"));
        CConverterApp app(ToArguments({input, QStringLiteral("-flip")}));
        // Only a dialog that failed to close by itself would still be here.
        bool stillOpen = false;
        QTimer watchdog;
        watchdog.setSingleShot(true);
        connect(&watchdog, &QTimer::timeout, [&] {
            if (auto* dialog = QApplication::activeModalWidget())
            {
                stillOpen = true;
                dialog->close();
            }
        });
        watchdog.start(20000);

        QCOMPARE(app.InitInstance(), false);
        QVERIFY(!stillOpen);
        const QStringList lines = ReadLines(folder.filePath(QStringLiteral("ship.DTQ")));
        QVERIFY(lines.size() > 4);
        QCOMPARE(lines.first(), QStringLiteral("C3DModel"));
        // "-flip" keeps the stored winding.
        QVERIFY(lines.contains(QStringLiteral("0,1,2")));
    }
};

TESSALINE_GUI_TEST(CommandLineTest);

#include "command_line_test.moc"
