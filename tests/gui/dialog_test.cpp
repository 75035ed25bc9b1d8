// The dialog: its font and layout, and "Go" on a good file and on each kind
// of failure: the status texts as they are painted, the paths and buttons
// locked while the run works, the dialog ended on success and ready for
// another try after a failure. Then a model file of another format dropped
// on it, and the kinds of file its chooser lists.
#include "app/input_file_dialog.h"
#include "fixtures/example_ship.h"
#include "fixtures/obj_writer.h"
#include "gui_support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMimeData>
#include <QRegularExpression>

namespace
{
// painted: "****" marks the paths and buttons disabled; faces: each
// object's face line in the file, empty for no file.
struct Go { QString input, output; bool flip; QStringList painted; QString faces; };

const QStringList kConverted{"Loading model...****", "  reading Object 0 of 2****",
                             "  reading Object 1 of 2****"};
// The failures come first: they must leave no file.
const Go kGoes[] = {
    {"", "", false, {"Error: You must specify an input file"}, ""},
    {"two.3ds", "", false, {"Error: You must specify an output file name"}, ""},
    {"x.3ds", "o.dtq", false, {"Error: Could not open Input file: x.3ds"}, ""},
    {".", "o.dtq", false, {"Error: Could not open Input file: ."}, ""},
    {"notes.3ds", "o.dtq", false,
     {"Loading model...****", "Error reading input file, it does not appear to be a true .3DS file."}, ""},
    {"two.3ds", "no/o.dtq", false, kConverted + QStringList{"Error: Could not create Output file: no/o.dtq"}, ""},
    {"two.3ds", "o.dtq", false, kConverted, "\n2,1,0\n"},
    {"two.3ds", "o.dtq", true, kConverted, "\n0,1,2\n"},
};
} // namespace

class DialogTest : public QObject
{
    Q_OBJECT

private slots:
    // The pixel rectangles were measured once with the desktop font DejaVu
    // Sans and checked by hand: its letters average 7 x 13 pixels at 8 points,
    // 4 x 8 dialog units.
    void layout()
    {
        QApplication::setFont(QFont("DejaVu Sans", 12)); // the dialog sets 8 points
        CConverterDlg dialog;
        QCOMPARE(dialog.font().family() + " " + QString::number(dialog.font().pointSize()), "DejaVu Sans 8");
        // The dialog's size, then x, y, width, height of each control in tab
        // order; the captions (the 6th and 7th) are widened to their text.
        QList<int> pixels{dialog.width(), dialog.height()};
        for (QWidget* control : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            pixels << control->x() << control->y() << control->width() << control->height();
        QCOMPARE(pixels, (QList<int>{399, 166, 173, 107, 63, 23, 292, 107, 63, 23, 75,  11, 284, 20,
                                     75,  37,  284, 20,  359, 11, 26,  20,  12, 11, 62,  13, 16,  39,
                                     57,  13,  0,   145, 399, 21, 214, 75,  87, 18, 12,  60, 102, 81}));
        // One picture, the logo, filling its frame.
        QStringList pictures;
        for (QLabel* label : dialog.findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
            if (!label->pixmap().isNull())
                pictures << QString("%1 x %2 in %3 x %4")
                                .arg(label->pixmap().deviceIndependentSize().width()).arg(label->pixmap().deviceIndependentSize().height())
                                .arg(label->contentsRect().width()).arg(label->contentsRect().height());
        QCOMPARE(pictures, QStringList{"100 x 79 in 100 x 79"});
        // In a wider font a caption grows only up to the box to its right.
        QApplication::setFont(QFont("DejaVu Sans Mono", 12));
        CConverterDlg wide;
        const QList<QWidget*> controls = wide.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        int captions = 0;
        for (QLabel* label : wide.findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
            for (const QWidget* other : controls)
                if (label->pixmap().isNull() && other != label && other->x() > label->x() &&
                    other->y() < label->y() + label->height() && label->y() < other->y() + other->height())
                {
                    QVERIFY2(label->x() + label->width() <= other->x(), qPrintable(label->text()));
                    ++captions;
                }
        QCOMPARE(captions, 3); // "Input from:" before its box and "...", "Output to:" before its box
        QApplication::setFont(QFont("DejaVu Sans", 12));
        // Shown, the window has its icon, drawn at each size a desktop asks for.
        dialog.show();
        QCOMPARE(dialog.windowIcon().availableSizes(), (QList<QSize>{{16, 16}, {32, 32}, {48, 48}, {64, 64}, {128, 128}}));
    }

    void go()
    {
        support::TemporaryFolder folder;
        QDir::setCurrent(QString::fromStdString(folder.Path()));
        support::WriteModel("two.3ds", {support::Triangle("A"), support::Triangle("B")});
        support::WriteFile("notes.3ds", "hello");
        for (const Go& go : kGoes)
        {
            CConverterDlg dialog;
            dialog.show();
            QApplication::setActiveWindow(&dialog);
            QVERIFY(QTest::qWaitForWindowActive(&dialog));
            qobject_cast<QLineEdit*>(dialog.GetDlgItem(IDC_INPUT))->setText(go.input);
            qobject_cast<QLineEdit*>(dialog.GetDlgItem(IDC_OUTPUT))->setText(go.output);
            qobject_cast<QAbstractButton*>(dialog.GetDlgItem(IDC_FLIP))->setChecked(go.flip);
            m_dialog = &dialog;
            m_painted.clear();
            dialog.GetDlgItem(IDC_STATUS)->installEventFilter(this);
            QTest::keyClick(dialog.GetDlgItem(IDOK), Qt::Key_Return);
            dialog.GetDlgItem(IDC_STATUS)->repaint(); // the state it is left in
            QCOMPARE(m_painted.join('|'), go.painted.join('|'));
            QCOMPARE(dialog.isVisible(), go.faces.isEmpty());
            // After a failure, Enter means "Go" again.
            QVERIFY(!dialog.isVisible() || dialog.focusWidget() == dialog.GetDlgItem(IDOK));
            const QString text = QString::fromStdString(support::ReadFile(go.output.toStdString()));
            QCOMPARE(text.startsWith("C3DModel\n4\n2\n") ? text.count(go.faces) : 0, go.faces.isEmpty() ? 0 : 2);
        }
    }

    // An OBJ file dropped on the dialog names the input and output; "Go"
    // converts it.
    void dropsAndConvertsAnObj()
    {
        support::TemporaryFolder folder;
        const QString input = QString::fromStdString(folder / "ship.obj");
        support::WriteFile(folder / "ship.obj", fixtures::BuildObjFile(fixtures::ExampleShipMeshes()));
        CConverterDlg dialog;
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(input)});
        QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&dialog, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&dialog, &drop);
        QCOMPARE(Text(dialog, IDC_INPUT) + "|" + Text(dialog, IDC_OUTPUT), input + "|" + QString::fromStdString(folder / "ship.DTQ"));
        QTest::keyClick(dialog.GetDlgItem(IDOK), Qt::Key_Return);
        QVERIFY(!dialog.isVisible());
        const std::string text = support::ReadFile(folder / "ship.DTQ");
        QVERIFY2(text.starts_with("C3DModel\n4\n4\n0,50.000000\nHull\n") && text.find("\nGun\n") != std::string::npos, text.c_str());
    }

    // .3DS first, then each other kind read, which the recognition takes
    // for a format of its own, then all of them together, shown at first.
    void chooserListsEveryKindRead()
    {
        const QStringList filters = InputFileFilters();
        QCOMPARE(filters.constFirst(), QStringLiteral(".3DS Files (*.3DS)"));
        QVERIFY(filters.size() >= 4);
        QStringList all{"*.3DS"};
        const QRegularExpression kind("^[A-Za-z .]+ Files \\((\\*\\.[a-z0-9]+( \\*\\.[a-z0-9]+)*)\\)$");
        for (qsizetype i = 1; i + 1 < filters.size(); ++i)
        {
            const QRegularExpressionMatch match = kind.match(filters[i]);
            QVERIFY2(match.hasMatch(), qPrintable(filters[i]));
            for (const QString& pattern : match.captured(1).split(' '))
                QVERIFY2(RecogniseFormat({}, "model" + pattern.mid(1).toStdString()) != ModelFormat::ThreeDs, qPrintable(pattern));
            all << match.captured(1);
        }
        QCOMPARE(filters.constLast(), "All Model Files (" + all.join(' ') + ")");
        QCOMPARE(CreateInputFileDialog(nullptr)->selectedNameFilter(), filters.constLast());
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::Paint)
            return false;
        QString entry = Text(*m_dialog, IDC_STATUS);
        for (int id : {IDC_INPUT, IDC_OUTPUT, IDOK, IDCANCEL})
            entry += m_dialog->GetDlgItem(id)->isEnabled() ? "" : "*";
        if (m_painted.value(m_painted.size() - 1) != entry)
            m_painted.append(entry);
        return false;
    }

private:
    CConverterDlg* m_dialog = nullptr;
    QStringList m_painted;
};

QTEST_MAIN(DialogTest)
#include "dialog_test.moc"
