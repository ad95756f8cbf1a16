#pragma once
// Replacing a file's contents as one step: the file holds either its old or its new bytes,
// whatever happens part-way (a full disk, a crash, a power cut after the call returned).
#include <QByteArray>
#include <QString>
#include <functional>

namespace AtomicFile {

struct Options {
    // KeepMode: a replaced file keeps its mode less the write bits of group and others, and its
    // owner; a new file is readable and writable by its owner only, whatever the umask (settings
    // name programs that get started).
    static constexpr int KeepMode = -1;
    int mode = KeepMode;
    // Called after the new bytes are on disk and before the rename; false makes the write
    // fail there. Tests use it to stop a write half-way.
    std::function<bool()> beforeRename;
    // false: a symbolic link at path is replaced by the new file instead of written through.
    bool followLinks = true;
};

// Writes data to an unnamed file in path's folder (every write checked), flushes it to disk,
// links it in and renames it over path, and flushes the folder; where the file system has no
// unnamed files, a named temporary file beside path is used. A symbolic link is followed (unless the options
// say not to), so the link stays and its target gets the new contents. Where no temporary file
// can be made (a folder we may not write to), an existing file is rewritten in place once its
// room is reserved, so a full disk still leaves it whole. On failure path is untouched, no
// temporary file is left, and *error names the file and the system's reason.
bool write(const QString &path, const QByteArray &data, QString *error = nullptr, const Options &options = {});

// The same inside an open folder: name is replaced (a link there too, never written through),
// the file is linked in as name + ".tmp" + the process id just before the rename (named so
// from the start where the file system has no unnamed files), and the folder is not flushed.
// Returns 0 or the errno value of the first failure.
int writeAt(int folder, const QString &name, const QByteArray &data, unsigned mode,
            const std::function<bool()> &beforeRename = nullptr);

} // namespace AtomicFile
