#pragma once
#include <QtGlobal>
class QComboBox;

// Makes the combo box's drop-down list show this many lines before it scrolls.
void SetDropDownLines(QComboBox *combo, qint16 lines);
