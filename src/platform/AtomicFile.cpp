#include "platform/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace AtomicFile {
namespace {

// The file a write to path ends up in: links are followed, even a dangling one.
QString finalTarget(const QString &path)
{
    QFileInfo info(path);
    for (int hops = 0; hops < 40 && info.isSymLink(); ++hops)
        info.setFile(QDir(info.absolutePath()).absoluteFilePath(info.symLinkTarget()));
    return info.absoluteFilePath();
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
                errno = ENOSPC;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

// The folder refuses new files but the file itself may be written: rewrite it in place, but
// only once the disk has promised room for all of it. Returns 0 or an errno value.
int rewriteInPlace(const QByteArray &target, const QByteArray &data)
{
    const int fd = ::open(target.constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    int err = data.isEmpty() ? 0 : ::posix_fallocate(fd, 0, off_t(data.size()));
    if (err == 0 && !(writeAll(fd, data) && ::ftruncate(fd, off_t(data.size())) == 0 && ::fsync(fd) == 0))
        err = errno;
    if (::close(fd) != 0 && err == 0)
        err = errno;
    return err;
}

} // namespace

int writeAt(int folder, const QString &name, const QByteArray &data, unsigned mode,
            const std::function<bool()> &beforeRename)
{
    const QByteArray finalName = QFile::encodeName(name);
    const QByteArray tempName = finalName + ".tmp" + QByteArray::number(::getpid());
    ::unlinkat(folder, tempName.constData(), 0); // left by a crashed earlier run
    // An unnamed file vanishes with the process that writes it; it gets a name only once it is
    // whole. Linking it in goes through /proc, so without /proc the named file is used too.
    int fd = ::access("/proc/self/fd", X_OK) == 0 ? ::openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600) : -1;
    const bool unnamed = fd >= 0;
    if (!unnamed)
        fd = ::openat(folder, tempName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
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
    if (ok && beforeRename && !beforeRename()) {
        ok = false;
        failure = ECANCELED;
    }
    if (ok && unnamed) {
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
        ok = check(::linkat(AT_FDCWD, self.constData(), folder, tempName.constData(), AT_SYMLINK_FOLLOW) == 0);
    }
    ok = check(::close(fd) == 0) && ok;
    ok = ok && check(::renameat(folder, tempName.constData(), folder, finalName.constData()) == 0);
    if (!ok)
        ::unlinkat(folder, tempName.constData(), 0);
    return ok ? 0 : failure;
}

bool write(const QString &path, const QByteArray &data, QString *error, const Options &options)
{
    const QString target = options.followLinks ? finalTarget(path) : QFileInfo(path).absoluteFilePath();
    const QByteArray targetName = QFile::encodeName(target);
    const QFileInfo info(target);
    const auto fail = [&](int err) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(target, QString::fromLocal8Bit(std::strerror(err)));
        return false;
    };

    struct stat old;
    const bool exists = ::lstat(targetName.constData(), &old) == 0 && !S_ISLNK(old.st_mode);
    if (exists && !S_ISREG(old.st_mode))
        return fail(S_ISDIR(old.st_mode) ? EISDIR : EINVAL);
    mode_t mode = options.mode != Options::KeepMode ? mode_t(options.mode) : exists ? old.st_mode & 07755 : 0600;

    const int folder = ::open(QFile::encodeName(info.absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        return fail(errno);
    int err = writeAt(folder, info.fileName(), data, mode, options.beforeRename);
    if ((err == EACCES || err == EPERM) && exists && ::access(targetName.constData(), W_OK) == 0)
        err = rewriteInPlace(targetName, data);
    else if (err == 0)
        ::fsync(folder); // the rename itself must reach the disk too
    ::close(folder);
    if (err != 0)
        return fail(err);
    // Root saving a user's file must not leave it to root.
    if (exists && ::getuid() == 0 && old.st_uid != 0) {
        [[maybe_unused]] const int chowned = ::chown(targetName.constData(), old.st_uid, old.st_gid);
    }
    return true;
}

} // namespace AtomicFile
