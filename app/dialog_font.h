#pragma once

#include <QFont>

// The dialog's font: the desktop's own user-interface font at a small size,
// which the dialog's layout is measured in.
QFont DialogFont();
