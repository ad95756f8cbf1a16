#pragma once
// Telling the user that an address built from a lookup setting was not opened.
#include <QString>

class QWidget;

// A warning beside parent that names the setting; it does not wait for an answer, so the
// other lookups of the same command still run.
void ShowRefusedAddress(QWidget *parent, const QString &key, const QString &value);
