#pragma once

#include "app/converter_dlg.h"
#include "fixtures/chunk_writer.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPaintEvent>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <string>
#include <vector>

// Helpers shared by the dialog's tests: models on disk, typed access to the
// controls, and a dialog that counts its runs instead of converting.
namespace gui_test
{

inline fixtures::MeshSpec Triangle(const std::string& name)
{
    fixtures::MeshSpec mesh;
    mesh.name = name;
    mesh.vertices = {{0, 0, 0}, {25, 0, 0}, {0, 25, 0}};
    mesh.faces = {{0, 1, 2}};
    return mesh;
}

// A .3DS file of the given number of one-triangle objects.
inline QString WriteModel(const QTemporaryDir& folder, const QString& name, int objectCount = 1)
{
    std::vector<fixtures::MeshSpec> meshes;
    for (int i = 0; i < objectCount; ++i)
        meshes.push_back(Triangle("Part" + std::to_string(i)));
    const QString path = folder.filePath(name);
    fixtures::WriteFile(QFile::encodeName(path).toStdString(), fixtures::BuildModelFile(meshes));
    return path;
}

inline QString WriteBytes(const QTemporaryDir& folder, const QString& name, const std::vector<std::uint8_t>& bytes)
{
    const QString path = folder.filePath(name);
    fixtures::WriteFile(QFile::encodeName(path).toStdString(), bytes);
    return path;
}

inline QStringList ReadLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(file.readAll()).split(QLatin1Char('\n'));
}

inline QLineEdit* Edit(const CConverterDlg& dialog, int id)
{
    return qobject_cast<QLineEdit*>(dialog.GetDlgItem(id));
}

inline QAbstractButton* Button(const CConverterDlg& dialog, int id)
{
    return qobject_cast<QAbstractButton*>(dialog.GetDlgItem(id));
}

inline QString Text(const CConverterDlg& dialog, int id)
{
    return Edit(dialog, id)->text();
}

// The paths and buttons that a run locks while it works.
inline constexpr int kRunLockedControls[] = {IDC_INPUT, IDC_OUTPUT, IDOK, IDCANCEL};

// Counts the runs in place of converting, and when they happen relative to
// the dialog's own paints.
class CountingConverterDlg : public CConverterDlg
{
public:
    void OnOK() override
    {
        ++runCount;
        if (insidePaint)
            ranInsidePaint = true;
        if (paintsBeforeFirstRun < 0)
            paintsBeforeFirstRun = paintCount;
    }

    int runCount = 0;
    int paintCount = 0;
    int paintsBeforeFirstRun = -1;
    bool ranInsidePaint = false;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        insidePaint = true;
        ++paintCount;
        CConverterDlg::paintEvent(event);
        insidePaint = false;
    }

private:
    bool insidePaint = false;
};

} // namespace gui_test
