#include "platform/AtomicFile.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace AtomicFile {
namespace {

QString systemError(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

// The file a write to path ends up in: links are followed, even a dangling one.
QString finalTarget(const QString &path)
{
    QFileInfo info(path);
    for (int hops = 0; hops < 40 && info.isSymLink(); ++hops)
        info.setFile(QDir(info.absolutePath()).absoluteFilePath(info.symLinkTarget()));
    return info.absoluteFilePath();
}

mode_t newFileMode(const QByteArray &target, int requested)
{
    if (requested != Options::KeepMode)
        return mode_t(requested);
    struct stat st;
    if (::stat(target.constData(), &st) == 0)
        return st.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

bool writeAll(int fd, const QByteArray &data)
{
    const char *p = data.constData();
    qint64 left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

} // namespace

int writeAt(int folder, const QString &name, const QByteArray &data, unsigned mode,
            const std::function<bool()> &beforeRename)
{
    const QByteArray finalName = QFile::encodeName(name);
    const QByteArray tempName = finalName + ".tmp" + QByteArray::number(::getpid());
    ::unlinkat(folder, tempName.constData(), 0); // left by a crashed earlier run
    const int fd = ::openat(folder, tempName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return errno;
    int failure = 0;
    auto check = [&failure](bool ok) {
        if (!ok && failure == 0)
            failure = errno ? errno : EIO;
        return ok;
    };
    errno = 0;
    bool ok = check(::fchmod(fd, mode_t(mode)) == 0) && check(writeAll(fd, data)) && check(::fsync(fd) == 0);
    ok = check(::close(fd) == 0) && ok;
    if (ok && beforeRename && !beforeRename()) {
        ok = false;
        failure = ECANCELED;
    }
    ok = ok && check(::renameat(folder, tempName.constData(), folder, finalName.constData()) == 0);
    if (!ok)
        ::unlinkat(folder, tempName.constData(), 0);
    return ok ? 0 : failure;
}

bool write(const QString &path, const QByteArray &data, QString *error, const Options &options)
{
    const QString target = options.followLinks ? finalTarget(path) : QFileInfo(path).absoluteFilePath();
    const QFileInfo info(target);
    const int folder = ::open(QFile::encodeName(info.absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    int failure = folder < 0 ? errno : 0;
    if (folder >= 0) {
        failure = writeAt(folder, info.fileName(), data, newFileMode(QFile::encodeName(target), options.mode),
                          options.beforeRename);
        if (failure == 0)
            ::fsync(folder);
        ::close(folder);
    }
    if (failure != 0 && error)
        *error = systemError(failure);
    return failure == 0;
}

} // namespace AtomicFile
