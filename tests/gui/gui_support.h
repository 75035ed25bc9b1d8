#pragma once

#include "app/converter_dlg.h"
#include "tests/support/test_support.h"

#include <QLineEdit>
#include <QTest>

// The text of one of the dialog's boxes.
inline QString Text(const CConverterDlg& dialog, int id)
{
    return qobject_cast<QLineEdit*>(dialog.GetDlgItem(id))->text();
}
