#include "platform/AtomicFile.h"
#include "platform/PrivateFiles.h"

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

bool write(const QString &path, const QByteArray &data, QString *error, const Options &options)
{
    const QString target = options.followLinks ? finalTarget(path) : QFileInfo(path).absoluteFilePath();
    const QByteArray targetName = QFile::encodeName(target);
    QByteArray tempName = targetName + ".tmpXXXXXX";
    int fd = ::mkostemp(tempName.data(), O_CLOEXEC);
    if (fd < 0) {
        if (error)
            *error = systemError(errno);
        return false;
    }

    int failure = 0;
    auto check = [&failure](bool ok) {
        if (!ok && failure == 0)
            failure = errno ? errno : EIO;
        return ok;
    };
    errno = 0;
    bool ok = check(::fchmod(fd, newFileMode(targetName, options.mode)) == 0)
              && check(writeAll(fd, data)) && check(::fsync(fd) == 0);
    ok = check(::close(fd) == 0) && ok;
    if (ok && options.beforeRename && !options.beforeRename()) {
        ok = false;
        failure = ECANCELED;
    }
    ok = ok && check(::rename(tempName.constData(), targetName.constData()) == 0);
    if (!ok) {
        ::unlink(tempName.constData());
        if (error)
            *error = systemError(failure);
        return false;
    }
    PrivateFiles::syncFolder(QFileInfo(target).absolutePath());
    return true;
}

} // namespace AtomicFile
