#include "util/ChangeComboLines.h"

#include <QComboBox>

void SetDropDownLines(QComboBox *combo, qint16 lines)
{
    if (!combo || lines < 1)
        return;
    // Styles that open a non-editable combo as a menu ignore the line count; a list keeps it.
    combo->setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
    combo->setMaxVisibleItems(lines);
}
