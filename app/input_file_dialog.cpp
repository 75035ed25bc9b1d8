#include "app/input_file_dialog.h"

#include <QDir>
#include <QFileDialog>

namespace
{
const char* const kModelFilter = ".3DS Files (*.3DS)";
}

std::unique_ptr<QFileDialog> CreateInputFileDialog(QWidget* parent)
{
    auto dialog = std::make_unique<QFileDialog>(parent);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setNameFilter(QString::fromLatin1(kModelFilter));
    // *.3DS must also list ship.3ds. Qt's own dialog matches name filters
    // without regard to letter case as long as QDir::CaseSensitive is off;
    // native dialogs differ from desktop to desktop in this.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setFilter(dialog->filter() & ~QDir::CaseSensitive);
    return dialog;
}

QString ChooseInputFile(QWidget* parent)
{
    const std::unique_ptr<QFileDialog> dialog = CreateInputFileDialog(parent);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return {};
    return dialog->selectedFiles().constFirst();
}
