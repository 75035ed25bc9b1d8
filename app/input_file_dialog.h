#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class QFileDialog;
class QWidget;

// The Open dialog's name filters: .3DS files first, then one filter for each
// other kind of file read, then all of them together, which the dialog
// starts with.
QStringList InputFileFilters();

// The Open dialog of the "..." button: one existing model file, whatever the
// letter case of its extension.
std::unique_ptr<QFileDialog> CreateInputFileDialog(QWidget* parent);

// Shows that dialog; the chosen path, or an empty string when cancelled.
QString ChooseInputFile(QWidget* parent);
