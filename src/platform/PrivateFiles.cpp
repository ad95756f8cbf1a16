#include "platform/PrivateFiles.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace PrivateFiles {

bool makeFolder(const QString &path)
{
    if (::mkdir(QFile::encodeName(path).constData(), 0700) == 0)
        return true;
    return errno == EEXIST && QFileInfo(path).isDir();
}

bool syncFolder(const QString &path)
{
    int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

bool writeAtomically(const QString &path, const QByteArray &data, const std::function<bool()> &beforeRename)
{
    const QString temp = path + QStringLiteral(".tmp%1").arg(::getpid());
    const QByteArray tempName = QFile::encodeName(temp);
    ::unlink(tempName.constData());
    int fd = ::open(tempName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    bool ok = ::fchmod(fd, 0600) == 0;
    const char *p = data.constData();
    qint64 left = data.size();
    while (ok && left > 0) {
        ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = false;
            break;
        }
        p += n;
        left -= n;
    }
    ok = ok && ::fdatasync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && (!beforeRename || beforeRename());
    ok = ok && ::rename(tempName.constData(), QFile::encodeName(path).constData()) == 0;
    if (!ok)
        ::unlink(tempName.constData());
    return ok;
}

} // namespace PrivateFiles
