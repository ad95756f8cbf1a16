#pragma once
// Starting another program: its path and its arguments as they are, never through a shell,
// so spaces, quotes and "$" in either need no quoting.
#include <QString>
#include <QStringList>

// Starts program detached; false with the system's description of the failure in *error.
bool StartProgram(const QString &program, const QStringList &args, QString *error);
