#pragma once
// Path, text and shell helpers. A path is Windows-style only when it starts with a drive
// letter and ":" or with "\\"; every other path is POSIX.
#include <QString>
#include <QStringList>

class ShellService; // platform seam for opening addresses and files

namespace Tool {
QString GetParentFolder(const QString &path);
QString GetFileNamePart(const QString &path);
QString GetBaseName(const QString &path);
QString GetExtension(const QString &path);
QString MakePath(const QString &folder, const QString &name);
bool IsDriveOnly(const QString &path);
bool CanOpenFile(const QString &path);
// A drive letter and ":" or a UNC "\\\\" at the start.
bool IsWindowsPath(const QString &path);
QString GetLongPath(const QString &path);
bool OpenDocument(ShellService &shell, const QString &target);
QString RemoveQuotes(const QString &text);
QString CutWithEllipsis(const QString &text, qint16 maxLength);
QString GetFirstLine(const QString &text);
// Words of a command line as a POSIX shell splits them (blanks, single and double quotes,
// backslash), without any expansion. An unclosed quote runs to the end of the line.
QStringList SplitCommandLine(const QString &commandLine);
} // namespace Tool
