#pragma once
// Labels and keyboard rules shared by the group and item lists, and the copy texts.
#include <QString>

// "A :name" for the first 26 lines, the name alone after them.
QString ListLabel(int index, const QString &name);
// The line a letter key selects (a/A -> 0), or -1 for a key that is no letter.
int LetterIndex(QChar key);
// The leading decimal number of a text ("3000ms" -> 3000), 0 when it has none.
qint64 LeadingNumber(const QString &text);
// Every "%1" replaced, left to right; inserted text is not searched again.
QString ReplacePlaceholder(const QString &text, const QString &replacement);
