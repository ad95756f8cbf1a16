#include "FuzzInput.h"

#include <QDir>
#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>
#include <unistd.h>

namespace fuzz {

namespace {

std::vector<std::string> &scratchFiles()
{
    static std::vector<std::string> files;
    return files;
}

void removeScratchFiles()
{
    for (const std::string &file : scratchFiles())
        std::remove(file.c_str());
}

} // namespace

QString scratchPath(const char *tag)
{
    // Saves flush to the disk; in memory that costs nothing and the runs go many times faster.
    const QString folder = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    const QString path = folder + QStringLiteral("/qb-fuzz-%1-%2").arg(::getpid()).arg(QLatin1String(tag));
    if (scratchFiles().empty())
        std::atexit(removeScratchFiles);
    scratchFiles().push_back(QFile::encodeName(path).toStdString());
    return path;
}

void writeScratch(const QString &path, const uint8_t *data, size_t size)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || f.write(reinterpret_cast<const char *>(data), qint64(size)) != qint64(size))
        fail("cannot write the scratch file");
}

QByteArray readScratch(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        fail("cannot read the scratch file back");
    return f.readAll();
}

void fail(const char *what)
{
    std::fprintf(stderr, "property broken: %s\n", what);
    std::abort();
}

} // namespace fuzz
