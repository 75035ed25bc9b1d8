#pragma once

#include <QString>

#include <memory>

class QFileDialog;
class QWidget;

// The Open dialog of the "..." button: one existing .3DS file, whatever the
// letter case of its extension.
std::unique_ptr<QFileDialog> CreateInputFileDialog(QWidget* parent);

// Shows that dialog; the chosen path, or an empty string when cancelled.
QString ChooseInputFile(QWidget* parent);
