#include "platform/AtomicFile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace AtomicFile {

namespace {

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
                errno = ENOSPC;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

// The folder we cannot write to still holds a file we may write: rewrite it in place,
// but only once the disk has promised room for all of it.
bool rewriteInPlace(const QByteArray &target, const QByteArray &data)
{
    const int fd = ::open(target.constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    int err = data.isEmpty() ? 0 : ::posix_fallocate(fd, 0, off_t(data.size()));
    bool ok = err == 0 && writeAll(fd, data) && ::ftruncate(fd, off_t(data.size())) == 0 && ::fsync(fd) == 0;
    if (err == 0 && !ok)
        err = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    errno = err;
    return ok;
}

} // namespace

bool replace(const QString &path, const QByteArray &data, QString *error)
{
    QString targetPath = path;
    const QFileInfo info(path);
    if (info.isSymLink())
        targetPath = info.exists() ? info.canonicalFilePath() : info.symLinkTarget();
    const QByteArray target = QFile::encodeName(targetPath);
    const QFileInfo targetInfo(targetPath);
    QByteArray temp = QFile::encodeName(targetInfo.path() + QStringLiteral("/.") + targetInfo.fileName())
                      + ".XXXXXX";

    const auto fail = [&](int err) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(targetPath, QString::fromLocal8Bit(std::strerror(err)));
        return false;
    };
    struct stat old;
    const bool exists = ::stat(target.constData(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode))
        return fail(S_ISDIR(old.st_mode) ? EISDIR : EINVAL);

    const int fd = ::mkostemp(temp.data(), O_CLOEXEC); // made 0600
    if (fd < 0) {
        const int err = errno;
        if (exists && (err == EACCES || err == EPERM) && ::access(target.constData(), W_OK) == 0)
            return rewriteInPlace(target, data) || fail(errno);
        return fail(err);
    }
    if (exists) {
        // Root saving a user's file must not leave it to root.
        if (::getuid() == 0) {
            [[maybe_unused]] const int chowned = ::fchown(fd, old.st_uid, old.st_gid);
        }
        ::fchmod(fd, old.st_mode & 07755);
    }
    bool ok = writeAll(fd, data) && ::fsync(fd) == 0;
    int err = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok && ::rename(temp.constData(), target.constData()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        ::unlink(temp.constData());
        return fail(err);
    }
    // The rename itself must reach the disk too.
    const int dir = ::open(QFile::encodeName(targetInfo.path()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

} // namespace AtomicFile
