#include "dialog_test_support.h"
#include "gui_test_registry.h"

#include <QApplication>
#include <QTest>

using namespace gui_test;

// The run that starts by itself when start-up hands over an input path:
// once, after the first paint of the dialog that is not minimised.
class AutoRunTest : public QObject
{
    Q_OBJECT

private slots:
    void runsOnceAfterTheFirstPaint()
    {
        CountingConverterDlg dialog;
        dialog.m_strInput = "/models/ship.3ds";
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTRY_COMPARE(dialog.runCount, 1);
        QVERIFY(dialog.paintsBeforeFirstRun >= 1);
        // Not inside the paint handler: the run's own repaints must be free
        // to happen.
        QVERIFY(!dialog.ranInsidePaint);

        const int paintsSoFar = dialog.paintCount;
        dialog.repaint();
        dialog.update();
        QTest::qWait(50);
        QVERIFY(dialog.paintCount > paintsSoFar);
        QCOMPARE(dialog.runCount, 1);
    }

    void noRunWithoutAnInputPath()
    {
        CountingConverterDlg dialog;
        dialog.m_bFlip = true;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        dialog.repaint();
        QTest::qWait(50);
        QVERIFY(dialog.paintCount > 0);
        QCOMPARE(dialog.runCount, 0);
        // Flipping is only requested together with an input path, but the
        // dialog shows whatever it was handed.
        QCOMPARE(Button(dialog, IDC_FLIP)->isChecked(), true);
    }

    void waitsWhileMinimised()
    {
        CountingConverterDlg dialog;
        dialog.m_strInput = "/models/ship.3ds";
        dialog.showMinimized();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        dialog.repaint();
        QTest::qWait(50);
        QVERIFY(dialog.paintCount > 0);
        QCOMPARE(dialog.runCount, 0);

        dialog.showNormal();
        dialog.repaint();
        QTRY_COMPARE(dialog.runCount, 1);
        QTest::qWait(50);
        QCOMPARE(dialog.runCount, 1);
    }

    // The real run on a good file: the dialog converts and closes by itself.
    void convertsAndClosesByItself()
    {
        QTemporaryDir folder;
        const QString input = WriteModel(folder, QStringLiteral("ship.3ds"));
        CConverterDlg dialog;
        dialog.m_strInput = QFile::encodeName(input).toStdString();
        dialog.show();
        QTRY_VERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(ReadLines(folder.filePath(QStringLiteral("ship.DTQ"))).value(0), QStringLiteral("C3DModel"));
    }

    // A failed automatic run leaves its message and the dialog ready for the
    // user, and does not start again.
    void failedRunLeavesTheDialogUsable()
    {
        CConverterDlg dialog;
        dialog.m_strInput = "/no/such/ship.3ds";
        dialog.show();
        QTRY_COMPARE(Text(dialog, IDC_STATUS), QStringLiteral("Error: Could not open Input file: /no/such/ship.3ds"));
        dialog.SetDlgItemText(IDC_STATUS, "seen");
        dialog.repaint();
        QTest::qWait(50);
        QCOMPARE(Text(dialog, IDC_STATUS), QStringLiteral("seen"));
        QVERIFY(dialog.isVisible());
        for (int id : kRunLockedControls)
            QVERIFY(dialog.GetDlgItem(id)->isEnabled());
    }
};

TESSALINE_GUI_TEST(AutoRunTest);

#include "auto_run_test.moc"
