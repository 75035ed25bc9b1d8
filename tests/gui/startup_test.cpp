// Start-up: what the arguments fill the dialog with, and the run that starts
// by itself once the dialog has been painted.
#include "app/converter_app.h"
#include "gui_support.h"

#include <QApplication>
#include <QCheckBox>
#include <QTimer>

namespace
{
struct StartUp { std::vector<std::string> arguments; QString boxes; }; // input|output|Flip Faces

// The paths name no file, so the automatic run leaves its message.
const StartUp kStartUps[] = {
    {{}, "||0"},
    {{"-/no/a.3DS", "-flip"}, "/no/a.3DS|/no/a.DTQ|1"},
    {{"/no/a.tiff", "flip"}, "/no/a.tiff|/no/a.DTQ|1"},
    {{"/no/ship.gltf"}, "/no/ship.gltf|/no/ship.DTQ|0"},
    {{"abc", "-FLIP"}, "abc|DTQ|0"},
    {{"ab", "--flip", "-flip"}, "ab|ab.DTQ|0"},
    {{"", "/b", "-", "/flip"}, "/b|/b.DTQ|1"},
    {{"/", "/no/x.3ds", "/", "/FLIP"}, "/no/x.3ds|/no/x.DTQ|0"},
    {{"", "-", "-/b", "-", "-flip"}, "/b|/b.DTQ|1"},
};
} // namespace

class StartUpTest : public QObject
{
    Q_OBJECT

private slots:
    // Qt's own options are the program's arguments too: -reverse names the input.
    void keepsQtsOptionsAsArguments()
    {
        support::TemporaryFolder folder;
        support::WriteModel(folder / "reverse", {support::Triangle()});
        const auto run = support::Run({"/usr/bin/timeout", "60", TESSALINE_PATH, "-reverse"}, {.folder = folder / ""});
        QCOMPARE(run.status, 0);
        QVERIFY(folder.List().count("reveDTQ.dtq"));
    }

    void fillsTheDialog()
    {
        for (const StartUp& startUp : kStartUps)
        {
            CConverterApp app(startUp.arguments);
            QTimer::singleShot(0, [&] {
                Inspect(qobject_cast<CConverterDlg*>(QApplication::activeModalWidget()), startUp);
                QApplication::activeModalWidget()->close(); // as the close box does
            });
            QCOMPARE(app.InitInstance(), false);
        }
    }

private:
    void Inspect(CConverterDlg* dialog, const StartUp& startUp)
    {
        QVERIFY(dialog && QTest::qWaitForWindowExposed(dialog));
        const QString input = startUp.boxes.section('|', 0, 0);
        QTRY_COMPARE(Text(*dialog, IDC_STATUS),
                     input.isEmpty() ? "                    Tessaline v.1.0" : "Error: Could not open Input file: " + input);
        const bool flip = qobject_cast<QCheckBox*>(dialog->GetDlgItem(IDC_FLIP))->isChecked();
        QCOMPARE(Text(*dialog, IDC_INPUT) + "|" + Text(*dialog, IDC_OUTPUT) + "|" + QString::number(flip), startUp.boxes);
        // Once only: later paints start nothing.
        dialog->ShowMessage("seen");
        dialog->repaint();
        QTest::qWait(50);
        QCOMPARE(Text(*dialog, IDC_STATUS), QStringLiteral("seen"));
    }
};

QTEST_MAIN(StartUpTest)
#include "startup_test.moc"
