#include "app/input_file_dialog.h"

#include "model/model_format.h"

#include <QDir>
#include <QFileDialog>

namespace
{
const char* const kModelFilter = ".3DS Files (*.3DS)";

QString Patterns(const FileKind& kind)
{
    QStringList patterns;
    for (const std::string_view extension : kind.extensions)
        patterns << "*." + QString::fromLatin1(extension.data(), static_cast<qsizetype>(extension.size()));
    return patterns.join(' ');
}
} // namespace

QStringList InputFileFilters()
{
    QStringList filters{QString::fromLatin1(kModelFilter)};
    QStringList all{QStringLiteral("*.3DS")};
    for (const FileKind& kind : ReadFileKinds())
    {
        if (kind.extensions.front() == "3ds")
            continue;
        filters << QString::fromLatin1(kind.name.data(), static_cast<qsizetype>(kind.name.size())) + " Files (" +
                       Patterns(kind) + ")";
        all << Patterns(kind);
    }
    filters << "All Model Files (" + all.join(' ') + ")";
    return filters;
}

std::unique_ptr<QFileDialog> CreateInputFileDialog(QWidget* parent)
{
    auto dialog = std::make_unique<QFileDialog>(parent);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    const QStringList filters = InputFileFilters();
    dialog->setNameFilters(filters);
    // Whatever was exported is shown at once; the kinds narrow it down.
    dialog->selectNameFilter(filters.constLast());
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
