#pragma once
// Replaces a file so that it ends either whole and new or whole and old, never cut short:
// a temporary file beside it gets every byte (each write checked), is flushed to the disk
// and only then renamed over the old one.
#include <QByteArray>
#include <QString>

namespace AtomicFile {

// A new file is made readable and writable by its owner only, whatever the umask; an
// existing one keeps its mode less the write bits for others, and its owner. A link is
// followed and its target replaced. Where no temporary file can be made beside it (a
// folder we may not write to), the file is rewritten in place after its room is reserved,
// so a full disk still leaves it as it was. False, with the reason in *error, when the
// file could not be written completely.
bool replace(const QString &path, const QByteArray &data, QString *error = nullptr);

} // namespace AtomicFile
