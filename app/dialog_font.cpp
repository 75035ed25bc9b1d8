#include "app/dialog_font.h"

#include <QGuiApplication>

namespace
{
constexpr int kDialogPointSize = 8;
}

QFont DialogFont()
{
    QFont font = QGuiApplication::font();
    font.setPointSize(kDialogPointSize);
    return font;
}
