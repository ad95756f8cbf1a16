#pragma once
// Files only the user may read: folders 0700, files 0600, replaced by one rename so that a
// process killed at any moment leaves the old or the new contents.
#include <QByteArray>
#include <QString>
#include <functional>

namespace PrivateFiles {
// Creates one folder with mode 0700; an existing folder is fine and keeps its mode.
bool makeFolder(const QString &path);
// Writes data under a temporary name with mode 0600, flushes it and renames it into place,
// replacing a symbolic link rather than writing through it; the folder is flushed too.
// beforeRename, when given, may stop the write just before the rename.
bool writeAtomically(const QString &path, const QByteArray &data,
                     const std::function<bool()> &beforeRename = nullptr);
} // namespace PrivateFiles
