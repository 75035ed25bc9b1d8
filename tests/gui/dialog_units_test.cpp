#include "app/dialog_units.h"
#include "gui_test_registry.h"

#include <QFont>
#include <QFontMetrics>
#include <QTest>

class DialogUnitsTest : public QObject
{
    Q_OBJECT

private slots:
    void convertsRectangles_data()
    {
        QTest::addColumn<int>("averageCharWidth");
        QTest::addColumn<int>("charHeight");
        QTest::addColumn<QRect>("units");
        QTest::addColumn<QRect>("pixels");

        // Halves round away from zero: 99 * 6 / 4 = 148.5 gives 149.
        QTest::newRow("Go, 6 x 13") << 6 << 13 << QRect(99, 66, 36, 14) << QRect(149, 107, 54, 23);
        QTest::newRow("dialog, 6 x 13") << 6 << 13 << QRect(0, 0, 228, 102) << QRect(0, 0, 342, 166);
        QTest::newRow("status line, 7 x 13") << 7 << 13 << QRect(0, 89, 228, 13) << QRect(0, 145, 399, 21);
        QTest::newRow("Go, 8 x 16") << 8 << 16 << QRect(99, 66, 36, 14) << QRect(198, 132, 72, 28);
        QTest::newRow("empty rectangle") << 7 << 13 << QRect(10, 10, 0, 0) << QRect(18, 16, 0, 0);
    }

    void convertsRectangles()
    {
        QFETCH(int, averageCharWidth);
        QFETCH(int, charHeight);
        QFETCH(QRect, units);
        QFETCH(QRect, pixels);
        QCOMPARE(DialogUnits(averageCharWidth, charHeight).ToPixels(units), pixels);
    }

    // The input box ends where the "..." button begins, at unit 205: rounding
    // each size on its own would open or close a gap of a pixel for some fonts.
    void touchingRectanglesStayTouching()
    {
        for (int width = 3; width <= 14; ++width)
        {
            for (int height = 8; height <= 30; ++height)
            {
                const DialogUnits units(width, height);
                const QRect inputBox = units.ToPixels(QRect(43, 7, 162, 12));
                const QRect browseButton = units.ToPixels(QRect(205, 7, 15, 12));
                QCOMPARE(inputBox.x() + inputBox.width(), browseButton.x());
                QCOMPARE(inputBox.height(), browseButton.height());
            }
        }
    }

    void baseUnitsComeFromTheFont()
    {
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(12);
        QFont twiceAsLarge = font;
        twiceAsLarge.setPixelSize(24);
        const DialogUnits small(font);
        const DialogUnits large(twiceAsLarge);

        QCOMPARE(small.CharHeight(), QFontMetrics(font).height());
        QVERIFY(small.AverageCharWidth() > 0);
        // Letters of a proportional font average less than its height.
        QVERIFY(small.AverageCharWidth() < small.CharHeight());
        QVERIFY(qAbs(large.AverageCharWidth() - 2 * small.AverageCharWidth()) <= 1);
        QVERIFY(qAbs(large.CharHeight() - 2 * small.CharHeight()) <= 2);
    }
};

TESSALINE_GUI_TEST(DialogUnitsTest);

#include "dialog_units_test.moc"
