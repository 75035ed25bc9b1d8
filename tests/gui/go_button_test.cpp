#include "dialog_test_support.h"
#include "gui_test_registry.h"

#include <QApplication>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTest>

using namespace gui_test;

namespace
{
// Records the status line's text each time it is painted, and whether any
// posted event was delivered before that paint.
class StatusPaintRecorder : public QObject
{
public:
    explicit StatusPaintRecorder(QLineEdit* status) : m_status(status) { status->installEventFilter(this); }

    QStringList paintedTexts;
    bool eventDeliveredBeforePaint = false;
    bool postedEventDelivered = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_status && event->type() == QEvent::Paint)
        {
            paintedTexts.append(m_status->text());
            eventDeliveredBeforePaint = eventDeliveredBeforePaint || postedEventDelivered;
        }
        return false;
    }

    bool event(QEvent* event) override
    {
        if (event->type() == QEvent::User)
        {
            postedEventDelivered = true;
            return true;
        }
        return QObject::event(event);
    }

private:
    QLineEdit* m_status;
};

} // namespace

// "Go" on a good file and on each kind of failure.
class GoButtonTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_folder.isValid());
        m_dialog = std::make_unique<CConverterDlg>();
        m_dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_dialog.get()));
    }

    void cleanup() { m_dialog.reset(); }

    void goWritesTheFileAndCloses_data()
    {
        QTest::addColumn<bool>("flip");
        QTest::addColumn<QString>("faceLine");
        QTest::newRow("Flip Faces off: winding reversed") << false << "2,1,0";
        QTest::newRow("Flip Faces on: winding kept") << true << "0,1,2";
    }

    void goWritesTheFileAndCloses()
    {
        QFETCH(bool, flip);
        QFETCH(QString, faceLine);
        const QString input = WriteModel(m_folder, QStringLiteral("ship.3ds"), 2);
        const QString output = m_folder.filePath(QStringLiteral("out.dtq"));
        Edit(*m_dialog, IDC_INPUT)->setText(input);
        Edit(*m_dialog, IDC_OUTPUT)->setText(output);
        Button(*m_dialog, IDC_FLIP)->setChecked(flip);

        QTest::mouseClick(Button(*m_dialog, IDOK), Qt::LeftButton);

        QVERIFY(!m_dialog->isVisible());
        QCOMPARE(m_dialog->result(), int(QDialog::Accepted));
        QCOMPARE(m_dialog->m_bFlip, flip);
        const QStringList lines = ReadLines(output);
        QCOMPARE(lines.mid(0, 3), (QStringList{"C3DModel", "4", "2"}));
        QCOMPARE(lines.count(faceLine), 2);
    }

    void goOnAFailure_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("output");
        // The whole message, or its beginning followed by '*' for the
        // loader's messages.
        QTest::addColumn<QString>("status");

        const QString good = WriteModel(m_folder, QStringLiteral("good.3ds"));
        const QString missing = m_folder.filePath(QStringLiteral("missing.3ds"));
        const QString notAModel = WriteBytes(m_folder, QStringLiteral("notes.3ds"), {'h', 'e', 'l', 'l', 'o'});
        std::vector<std::uint8_t> cut = fixtures::BuildModelFile({Triangle("Hull")});
        cut.resize(cut.size() / 2);
        const QString truncated = WriteBytes(m_folder, QStringLiteral("cut.3ds"), cut);
        const QString output = m_folder.filePath(QStringLiteral("failed.dtq"));
        const QString unwritable = m_folder.filePath(QStringLiteral("no/such/folder/out.dtq"));

        QTest::newRow("both paths empty") << "" << "" << "Error: You must specify an input file";
        QTest::newRow("input missing, output empty")
            << missing << "" << "Error: Could not open Input file: " + missing;
        QTest::newRow("input missing") << missing << output << "Error: Could not open Input file: " + missing;
        QTest::newRow("input is a folder") << m_folder.path() << output
                                           << "Error: Could not open Input file: " + m_folder.path();
        QTest::newRow("output empty") << good << "" << "Error: You must specify an output file name";
        QTest::newRow("not a .3DS file") << notAModel << output << "Error*";
        QTest::newRow("truncated file") << truncated << output << "Error*";
        QTest::newRow("output folder missing") << good << unwritable
                                               << "Error: Could not create Output file: " + unwritable;
    }

    // Every failure leaves its message, no output file, and the dialog open
    // with its paths and buttons enabled, so it can be closed or used again.
    void goOnAFailure()
    {
        QFETCH(QString, input);
        QFETCH(QString, output);
        QFETCH(QString, status);
        Edit(*m_dialog, IDC_INPUT)->setText(input);
        Edit(*m_dialog, IDC_OUTPUT)->setText(output);

        Button(*m_dialog, IDOK)->click();

        const QString shown = Text(*m_dialog, IDC_STATUS);
        if (status.endsWith(QLatin1Char('*')))
            QVERIFY2(shown.startsWith(status.chopped(1)), qPrintable(shown));
        else
            QCOMPARE(shown, status);
        QVERIFY(m_dialog->isVisible());
        for (int id : kRunLockedControls)
            QVERIFY(m_dialog->GetDlgItem(id)->isEnabled());
        QVERIFY(!output.isEmpty() ? !QFileInfo::exists(output) : true);
        // Typed paths are left as they were.
        QCOMPARE(Text(*m_dialog, IDC_INPUT), input);
        QCOMPARE(Text(*m_dialog, IDC_OUTPUT), output);
    }

    void canBeClosedAfterAFailure()
    {
        Edit(*m_dialog, IDC_INPUT)->setText(WriteBytes(m_folder, QStringLiteral("bad.3ds"), {0, 0, 0, 0}));
        Edit(*m_dialog, IDC_OUTPUT)->setText(m_folder.filePath(QStringLiteral("bad.dtq")));
        Button(*m_dialog, IDOK)->click();
        QVERIFY(Text(*m_dialog, IDC_STATUS).startsWith(QStringLiteral("Error")));

        QTest::mouseClick(Button(*m_dialog, IDCANCEL), Qt::LeftButton);
        QVERIFY(!m_dialog->isVisible());
        QCOMPARE(m_dialog->result(), int(QDialog::Rejected));
    }

    void canBeUsedAgainAfterAFailure()
    {
        const QString output = m_folder.filePath(QStringLiteral("again.dtq"));
        Edit(*m_dialog, IDC_INPUT)->setText(WriteBytes(m_folder, QStringLiteral("bad.3ds"), {0, 0, 0, 0}));
        Edit(*m_dialog, IDC_OUTPUT)->setText(output);
        Button(*m_dialog, IDOK)->setFocus();
        QTest::keyClick(m_dialog->focusWidget(), Qt::Key_Return);
        QVERIFY(m_dialog->isVisible());

        // The focus is back on "Go", so Enter runs the conversion again.
        QCOMPARE(m_dialog->focusWidget(), m_dialog->GetDlgItem(IDOK));
        Edit(*m_dialog, IDC_INPUT)->setText(WriteModel(m_folder, QStringLiteral("good.3ds")));
        QTest::keyClick(m_dialog->focusWidget(), Qt::Key_Return);
        QVERIFY(!m_dialog->isVisible());
        QCOMPARE(ReadLines(output).value(0), QStringLiteral("C3DModel"));
    }

    // The whole run happens inside one handler; its messages are painted as
    // they come, before any queued event gets through.
    void messagesArePaintedWhileTheFileIsRead()
    {
        constexpr int kObjectCount = 3;
        Edit(*m_dialog, IDC_INPUT)->setText(WriteModel(m_folder, QStringLiteral("fleet.3ds"), kObjectCount));
        Edit(*m_dialog, IDC_OUTPUT)->setText(m_folder.filePath(QStringLiteral("fleet.dtq")));
        QApplication::processEvents();
        StatusPaintRecorder recorder(Edit(*m_dialog, IDC_STATUS));
        QCoreApplication::postEvent(&recorder, new QEvent(QEvent::User));

        Button(*m_dialog, IDOK)->click();

        QVERIFY(!m_dialog->isVisible());
        QVERIFY(!recorder.eventDeliveredBeforePaint);
        QVERIFY2(recorder.paintedTexts.contains(QStringLiteral("Loading model...")),
                 qPrintable(recorder.paintedTexts.join(QLatin1Char('|'))));
        QStringList progress = recorder.paintedTexts.filter(QRegularExpression(QStringLiteral("^  reading Object")));
        progress.removeDuplicates();
        QCOMPARE(progress.size(), kObjectCount);
    }

private:
    QTemporaryDir m_folder;
    std::unique_ptr<CConverterDlg> m_dialog;
};

TESSALINE_GUI_TEST(GoButtonTest);

#include "go_button_test.moc"
