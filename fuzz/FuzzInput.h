#pragma once
// Shared by the fuzz targets: the readers under test take file names, so each input is
// written to a private scratch file first.
#include <QByteArray>
#include <QString>

namespace fuzz {

// A file name in the temporary folder, unique to this process and tag.
QString scratchPath(const char *tag);
// Writes the bytes to the file, replacing it; aborts when that fails (a broken run, not a find).
void writeScratch(const QString &path, const uint8_t *data, size_t size);
QByteArray readScratch(const QString &path);
// Stops the run with a message: libFuzzer then keeps the input that caused it.
[[noreturn]] void fail(const char *what);

} // namespace fuzz
