#include "app/input_file_dialog.h"
#include "app/version_text.h"
#include "dialog_test_support.h"
#include "gui_test_registry.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QMimeData>
#include <QTest>

using namespace gui_test;

namespace
{
QList<QUrl> LocalFiles(const QStringList& paths)
{
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls.append(QUrl::fromLocalFile(path));
    return urls;
}

// What the desktop delivers for a drag from a file manager: the enter event,
// then the drop, both at the given point of the dialog.
bool Drop(QWidget& dialog, const QList<QUrl>& urls, QPoint at)
{
    QMimeData data;
    data.setUrls(urls);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&dialog, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&dialog, &drop);
    return drop.isAccepted();
}

// The files that the dialog lists in folder so far; the listing fills in
// while a background thread reads the folder.
QStringList ListedFiles(QFileDialog& dialog, const QString& folder)
{
    auto* model = dialog.findChild<QFileSystemModel*>();
    if (!model)
        return {};
    const QModelIndex root = model->index(folder);
    QStringList names;
    for (int row = 0; row < model->rowCount(root); ++row)
        names.append(model->fileName(model->index(row, 0, root)));
    names.sort();
    return names;
}
} // namespace

// The input path from a drop, the "..." button and start-up, and the output
// name derived from it.
class InputPathTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dialog = std::make_unique<CountingConverterDlg>();
        m_dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_dialog.get()));
    }

    void cleanup() { m_dialog.reset(); }

    void drop_data()
    {
        QTest::addColumn<QList<QUrl>>("urls");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("output");

        const QString longPath =
            QStringLiteral("/models/") + QString(600, QLatin1Char('d')) + QStringLiteral("/ship.3ds");
        const QUrl remote(QStringLiteral("https://example.org/remote.3ds"));
        QTest::newRow("three files: the first counts")
            << LocalFiles({"/models/first.3ds", "/models/second.3ds", "/other/third.3DS"}) << true
            << "/models/first.3ds" << "/models/first.DTQ";
        QTest::newRow("long path taken whole") << LocalFiles({longPath}) << true << longPath
                                               << longPath.chopped(3) + QStringLiteral("DTQ");
        QTest::newRow("remote file skipped") << (QList<QUrl>{remote} + LocalFiles({"/models/local.3ds"})) << true
                                             << "/models/local.3ds" << "/models/local.DTQ";
        QTest::newRow("only remote files refused") << QList<QUrl>{remote} << false << "typed.3ds" << "mine.dtq";
        QTest::newRow("no files refused") << QList<QUrl>{} << false << "typed.3ds" << "mine.dtq";
    }

    // A drop replaces both paths and starts nothing.
    void drop()
    {
        QFETCH(QList<QUrl>, urls);
        QFETCH(bool, accepted);
        QFETCH(QString, input);
        QFETCH(QString, output);
        Edit(*m_dialog, IDC_INPUT)->setText(QStringLiteral("typed.3ds"));
        Edit(*m_dialog, IDC_OUTPUT)->setText(QStringLiteral("mine.dtq"));

        const QPoint overInputBox = Edit(*m_dialog, IDC_INPUT)->geometry().center();
        QCOMPARE(Drop(*m_dialog, urls, overInputBox), accepted);

        QCOMPARE(Text(*m_dialog, IDC_INPUT), input);
        QCOMPARE(Text(*m_dialog, IDC_OUTPUT), output);
        QTest::qWait(20);
        QCOMPARE(m_dialog->runCount, 0);
        QCOMPARE(Text(*m_dialog, IDC_STATUS), QString::fromStdString(StatusBanner()));
    }

    // The dialog takes drops anywhere: no box takes the file's name as text
    // for itself.
    void onlyTheDialogAcceptsDrops()
    {
        QVERIFY(m_dialog->acceptDrops());
        for (QWidget* child : m_dialog->findChildren<QWidget*>())
            QVERIFY2(!child->acceptDrops(), child->metaObject()->className());
    }

    void browse_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("output");

        QTest::newRow("file chosen") << "/a/b.3DS" << "/a/b.3DS" << "/a/b.DTQ";
        QTest::newRow("lower-case extension") << "/a/b.3ds" << "/a/b.3ds" << "/a/b.DTQ";
        QTest::newRow("cancelled") << "" << "typed.3ds" << "mine.dtq";
    }

    void browse()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, input);
        QFETCH(QString, output);
        QWidget* chooserParent = nullptr;
        m_dialog->SetFileChooser([&](QWidget* parent) {
            chooserParent = parent;
            return chosen;
        });
        Edit(*m_dialog, IDC_INPUT)->setText(QStringLiteral("typed.3ds"));
        Edit(*m_dialog, IDC_OUTPUT)->setText(QStringLiteral("mine.dtq"));

        QTest::mouseClick(Button(*m_dialog, IDC_BROWSE_INPUT), Qt::LeftButton);

        QCOMPARE(chooserParent, static_cast<QWidget*>(m_dialog.get()));
        QCOMPARE(Text(*m_dialog, IDC_INPUT), input);
        QCOMPARE(Text(*m_dialog, IDC_OUTPUT), output);
        QCOMPARE(m_dialog->runCount, 0);
    }

    void fileDialogListsModelsInAnyLetterCase()
    {
        QTemporaryDir folder;
        for (const char* name : {"boat.3DS", "ship.3ds", "raft.3Ds", "notes.txt", "ship.dtq"})
            WriteBytes(folder, QString::fromLatin1(name), {0});
        const std::unique_ptr<QFileDialog> dialog = CreateInputFileDialog(m_dialog.get());
        QCOMPARE(dialog->nameFilters(), QStringList{QStringLiteral(".3DS Files (*.3DS)")});
        QCOMPARE(dialog->fileMode(), QFileDialog::ExistingFile);
        QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptOpen);
        dialog->setDirectory(folder.path());
        QTRY_COMPARE(ListedFiles(*dialog, folder.path()), (QStringList{"boat.3DS", "raft.3Ds", "ship.3ds"}));
    }

    void defaultOutputName_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("output");

        QTest::newRow("three-letter extension") << "/models/ship.3ds" << "/models/ship.DTQ";
        QTest::newRow("upper case") << "/models/SHIP.3DS" << "/models/SHIP.DTQ";
        QTest::newRow("four-letter extension") << "/models/a.tiff" << "/models/a.tDTQ";
        QTest::newRow("one-letter extension") << "/models/a.b" << "/models/DTQ";
        QTest::newRow("no extension") << "/models/ship" << "/models/sDTQ";
        QTest::newRow("dot in folder") << "/v1.2/ship" << "/v1.2/sDTQ";
        QTest::newRow("non-ASCII name") << QStringLiteral("/modèles/bâteau.3ds")
                                        << QStringLiteral("/modèles/bâteau.DTQ");
        QTest::newRow("exactly three") << "abc" << "DTQ";
        QTest::newRow("two characters") << "ab" << "ab.DTQ";
        QTest::newRow("one character") << "a" << "a.DTQ";
    }

    void defaultOutputName()
    {
        QFETCH(QString, input);
        QFETCH(QString, output);
        Edit(*m_dialog, IDC_INPUT)->setText(input);
        Edit(*m_dialog, IDC_OUTPUT)->setText(QStringLiteral("replaced"));
        m_dialog->SetDefaultOutputName();
        QCOMPARE(Text(*m_dialog, IDC_OUTPUT), output);
        QCOMPARE(Text(*m_dialog, IDC_INPUT), input);
    }

    void typingLeavesTheOutputBoxAlone()
    {
        QVERIFY(Drop(*m_dialog, LocalFiles({"/models/ship.3ds"}), QPoint(5, 5)));
        QLineEdit* inputBox = Edit(*m_dialog, IDC_INPUT);
        inputBox->setFocus();
        inputBox->end(false);
        QTest::keyClick(inputBox, Qt::Key_Backspace);
        QTest::keyClick(inputBox, Qt::Key_Backspace);
        QTest::keyClicks(inputBox, QStringLiteral("DS"));
        QCOMPARE(inputBox->text(), QStringLiteral("/models/ship.3DS"));
        QCOMPARE(Text(*m_dialog, IDC_OUTPUT), QStringLiteral("/models/ship.DTQ"));
    }

private:
    std::unique_ptr<CountingConverterDlg> m_dialog;
};

TESSALINE_GUI_TEST(InputPathTest);

#include "input_path_test.moc"
