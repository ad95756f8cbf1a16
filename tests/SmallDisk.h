#pragma once
// A small memory file system (tmpfs) mounted on a fresh folder, gone with this object, for
// tests that need a full disk. Mounting needs root: check mounted and skip without it.
#include <QFile>
#include <QTemporaryDir>

#include <sys/mount.h>

struct SmallDisk {
    QTemporaryDir dir;
    bool mounted = false;

    explicit SmallDisk(const char *size = "256k")
    {
        const QByteArray options = QByteArray("mode=0700,size=") + size;
        mounted = dir.isValid()
                  && ::mount("tmpfs", QFile::encodeName(dir.path()).constData(), "tmpfs", 0, options.constData()) == 0;
    }
    ~SmallDisk()
    {
        if (mounted)
            ::umount2(QFile::encodeName(dir.path()).constData(), MNT_DETACH);
    }

    QString filePath(const QString &name) const { return dir.filePath(name); }

    // Writes filler until nothing more fits; true once the disk is full.
    bool fillUp() const
    {
        QFile f(filePath(QStringLiteral("filler")));
        if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return false;
        const QByteArray chunk(4096, 'f');
        while (f.write(chunk) == chunk.size()) {
        }
        while (f.write("f", 1) == 1) { // the last page takes single bytes
        }
        return true;
    }
};
