#include "app/artwork.h"
#include "app/converter_template.h"
#include "app/dialog_units.h"
#include "app/version_text.h"
#include "dialog_test_support.h"
#include "gui_test_registry.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace gui_test;

namespace
{
QLabel* LabelWithText(const CConverterDlg& dialog, const QString& text)
{
    for (QLabel* label : dialog.findChildren<QLabel*>())
        if (label->text() == text)
            return label;
    return nullptr;
}

QLabel* Picture(const CConverterDlg& dialog)
{
    for (QLabel* label : dialog.findChildren<QLabel*>())
        if (!label->pixmap().isNull())
            return label;
    return nullptr;
}

bool ShowAndActivate(QWidget& widget)
{
    widget.show();
    QApplication::setActiveWindow(&widget);
    return QTest::qWaitForWindowActive(&widget);
}
} // namespace

// The dialog as it opens: its controls, texts, layout, keys and decorations.
class ConverterDlgTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QApplication::setFont(m_defaultFont); }

    void opensEmptyWithoutAnInputPath()
    {
        CountingConverterDlg dialog;
        QVERIFY(ShowAndActivate(dialog));
        QCOMPARE(Text(dialog, IDC_INPUT), QString());
        QCOMPARE(Text(dialog, IDC_OUTPUT), QString());
        QCOMPARE(Button(dialog, IDC_FLIP)->isChecked(), false);
        QCOMPARE(Text(dialog, IDC_STATUS), QStringLiteral("                    Tessaline v.1.0"));
        for (int id : kRunLockedControls)
            QVERIFY(dialog.GetDlgItem(id)->isEnabled());
        QTest::qWait(50);
        QCOMPARE(dialog.runCount, 0);
    }

    void opensFilledWithAnInputPath_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<bool>("flip");
        QTest::addColumn<QString>("output");

        QTest::newRow("flip off") << "/models/ship.3ds" << false << "/models/ship.DTQ";
        QTest::newRow("flip on") << "/models/ship.3DS" << true << "/models/ship.DTQ";
        QTest::newRow("four-letter extension") << "/models/ship.tiff" << false << "/models/ship.tDTQ";
        QTest::newRow("two characters") << "ab" << false << "ab.DTQ";
    }

    void opensFilledWithAnInputPath()
    {
        QFETCH(QString, input);
        QFETCH(bool, flip);
        QFETCH(QString, output);

        CountingConverterDlg dialog;
        dialog.m_strInput = QFile::encodeName(input).toStdString();
        dialog.m_bFlip = flip;
        QVERIFY(ShowAndActivate(dialog));
        QCOMPARE(Text(dialog, IDC_INPUT), input);
        QCOMPARE(Text(dialog, IDC_OUTPUT), output);
        QCOMPARE(Button(dialog, IDC_FLIP)->isChecked(), flip);
        QCOMPARE(Text(dialog, IDC_STATUS), QString::fromStdString(StatusBanner()));
        QTRY_COMPARE(dialog.runCount, 1);
    }

    void windowDecorations()
    {
        CConverterDlg dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Tessaline"));
        const Qt::WindowFlags flags = dialog.windowFlags();
        // A window of its own, with a task bar entry, rather than a dialog
        // that belongs to another window.
        QCOMPARE(flags & Qt::WindowType_Mask, Qt::Window);
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
        QCOMPARE(dialog.minimumSize(), dialog.maximumSize());

        QVERIFY(ShowAndActivate(dialog));
        const QList<QSize> iconSizes = dialog.windowIcon().availableSizes();
        QVERIFY(iconSizes.contains(QSize(16, 16)));
        QVERIFY(iconSizes.contains(QSize(32, 32)));
        QVERIFY(!dialog.windowIcon().pixmap(32, 32).toImage().isNull());
    }

    void goIsTheDefaultButtonAndHasTheFocus()
    {
        CConverterDlg dialog;
        QVERIFY(ShowAndActivate(dialog));
        auto* go = qobject_cast<QPushButton*>(dialog.GetDlgItem(IDOK));
        QVERIFY(go->isDefault());
        QCOMPARE(go->text(), QStringLiteral("Go"));
        QCOMPARE(QApplication::focusWidget(), go);
        QVERIFY(!qobject_cast<QPushButton*>(dialog.GetDlgItem(IDCANCEL))->isDefault());
    }

    void tabVisitsTheControlsInTemplateOrder()
    {
        CConverterDlg dialog;
        QVERIFY(ShowAndActivate(dialog));
        const int expected[] = {IDCANCEL, IDC_INPUT, IDC_OUTPUT, IDC_BROWSE_INPUT, IDC_STATUS, IDC_FLIP, IDOK};
        for (int id : expected)
        {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), dialog.GetDlgItem(id));
        }
    }

    void controlTexts()
    {
        CConverterDlg dialog;
        QCOMPARE(Button(dialog, IDCANCEL)->text(), QStringLiteral("Cancel"));
        QCOMPARE(Button(dialog, IDC_BROWSE_INPUT)->text(), QStringLiteral("..."));
        QCOMPARE(Button(dialog, IDC_FLIP)->text(), QStringLiteral("Flip Faces"));
        QVERIFY(qobject_cast<QCheckBox*>(dialog.GetDlgItem(IDC_FLIP)));
        QVERIFY(LabelWithText(dialog, QStringLiteral("Input from:")));
        QVERIFY(LabelWithText(dialog, QStringLiteral("Output to:")));
        QVERIFY(!Edit(dialog, IDC_INPUT)->isReadOnly());
        QVERIFY(!Edit(dialog, IDC_OUTPUT)->isReadOnly());
    }

    // The status line can be read and copied but not edited.
    void statusLineIsReadOnlyAndSelectable()
    {
        CConverterDlg dialog;
        QVERIFY(ShowAndActivate(dialog));
        QLineEdit* status = Edit(dialog, IDC_STATUS);
        QVERIFY(status->isReadOnly());
        QTest::keyClicks(status, QStringLiteral("typed"));
        QCOMPARE(status->text(), QString::fromStdString(StatusBanner()));
        status->selectAll();
        QCOMPARE(status->selectedText(), status->text());
    }

    void layoutFollowsTheDialogFont_data()
    {
        QTest::addColumn<QString>("family");
        QTest::addColumn<bool>("captionsFit");
        // The captions' boxes, with the room beside them, hold them in a
        // proportional sans font, but not in every font.
        QTest::newRow("sans") << "DejaVu Sans" << true;
        QTest::newRow("serif") << "DejaVu Serif" << false;
        QTest::newRow("monospace") << "DejaVu Sans Mono" << false;
    }

    void layoutFollowsTheDialogFont()
    {
        QFETCH(QString, family);
        QFETCH(bool, captionsFit);
        QApplication::setFont(QFont(family));
        CConverterDlg dialog;
        QCOMPARE(dialog.font().family(), family);
        const DialogUnits units(dialog.font());

        QCOMPARE(dialog.size(), units.ToPixels(kConverterSizeUnits));
        for (const TemplateControl& control : kConverterControls)
        {
            if (control.id == IDC_STATIC)
                continue;
            const QRect expected = units.ToPixels(control.units);
            const QRect actual = dialog.GetDlgItem(control.id)->geometry();
            QCOMPARE(actual.topLeft(), expected.topLeft());
            QCOMPARE(actual.height(), expected.height());
            // A check box caption wider than its box widens the box.
            if (control.kind == ControlKind::CheckBox)
                QVERIFY(actual.width() >= expected.width());
            else
                QCOMPARE(actual.width(), expected.width());
        }

        // The status line runs along the whole bottom edge.
        const QRect status = dialog.GetDlgItem(IDC_STATUS)->geometry();
        QCOMPARE(status.left(), 0);
        QCOMPARE(status.width(), dialog.width());
        QCOMPARE(status.y() + status.height(), dialog.height());

        // Captions start where the template says and stay clear of the boxes
        // they name.
        const std::pair<const char*, QRect> captions[] = {{"Input from:", QRect(7, 7, 33, 8)},
                                                          {"Output to:", QRect(9, 24, 31, 8)}};
        for (const auto& [caption, box] : captions)
        {
            QLabel* label = LabelWithText(dialog, QString::fromLatin1(caption));
            QVERIFY(label);
            QCOMPARE(label->pos(), units.ToPixels(box).topLeft());
            QVERIFY(label->width() >= units.ToPixels(box).width());
            QVERIFY(label->geometry().right() < dialog.GetDlgItem(IDC_INPUT)->x());
            if (captionsFit)
                QVERIFY(label->width() >= label->sizeHint().width());
        }
    }

    void pictureKeepsItsOwnSize()
    {
        CConverterDlg dialog;
        QLabel* picture = Picture(dialog);
        QVERIFY(picture);
        QCOMPARE(picture->pixmap().deviceIndependentSize().toSize(), kLogoSize);
        const DialogUnits units(dialog.font());
        QCOMPARE(picture->pos(), units.ToPixels(QRect(7, 37, 68, 50)).topLeft());
        QVERIFY(picture->frameShadow() == QFrame::Sunken);
        QVERIFY(picture->geometry().bottom() < dialog.GetDlgItem(IDC_STATUS)->y());
    }

    void pictureShrinksOnlyToFitASmallerBox_data()
    {
        QTest::addColumn<QSize>("box");
        QTest::addColumn<QSize>("shown");
        QTest::newRow("roomy box") << QSize(119, 81) << QSize(100, 79);
        QTest::newRow("exact box") << QSize(100, 79) << QSize(100, 79);
        QTest::newRow("too low") << QSize(119, 60) << QSize(75, 60);
        QTest::newRow("too narrow") << QSize(50, 81) << QSize(50, 39);
    }

    void pictureShrinksOnlyToFitASmallerBox()
    {
        QFETCH(QSize, box);
        QFETCH(QSize, shown);
        QCOMPARE(PictureSizeWithin(box), shown);
    }

    void enterRunsTheConversion_data()
    {
        QTest::addColumn<int>("focusedControl");
        QTest::newRow("input box") << int(IDC_INPUT);
        QTest::newRow("output box") << int(IDC_OUTPUT);
        QTest::newRow("Go") << int(IDOK);
        QTest::newRow("Flip Faces") << int(IDC_FLIP);
    }

    void enterRunsTheConversion()
    {
        QFETCH(int, focusedControl);
        CountingConverterDlg dialog;
        QVERIFY(ShowAndActivate(dialog));
        dialog.GetDlgItem(focusedControl)->setFocus();
        QTest::keyClick(dialog.GetDlgItem(focusedControl), Qt::Key_Return);
        QCOMPARE(dialog.runCount, 1);
        QVERIFY(dialog.isVisible());
    }

    void escapeCancelButtonAndCloseBoxCloseTheDialog_data()
    {
        QTest::addColumn<int>("way");
        QTest::newRow("Esc") << 0;
        QTest::newRow("Cancel") << 1;
        QTest::newRow("close box") << 2;
    }

    void escapeCancelButtonAndCloseBoxCloseTheDialog()
    {
        QFETCH(int, way);
        CountingConverterDlg dialog;
        QVERIFY(ShowAndActivate(dialog));
        if (way == 0)
            QTest::keyClick(Edit(dialog, IDC_INPUT), Qt::Key_Escape);
        else if (way == 1)
            QTest::mouseClick(Button(dialog, IDCANCEL), Qt::LeftButton);
        else
            dialog.close();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(dialog.runCount, 0);
    }

private:
    const QFont m_defaultFont = QApplication::font();
};

TESSALINE_GUI_TEST(ConverterDlgTest);

#include "converter_dlg_test.moc"
