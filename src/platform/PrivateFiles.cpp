#include "platform/PrivateFiles.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace PrivateFiles {

QString errorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

Fd openFolderAt(int parent, const QString &parentPath, const QString &name, bool create, QString *problem)
{
    const QByteArray n = QFile::encodeName(name);
    const QString path = parentPath + QLatin1Char('/') + name;
    if (create && ::mkdirat(parent, n.constData(), 0700) != 0 && errno != EEXIST) {
        *problem = path + QStringLiteral(": ") + errorText(errno);
        return Fd();
    }
    Fd fd(::openat(parent, n.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd.valid()) {
        const int error = errno;
        struct stat st;
        if (::fstatat(parent, n.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode))
            *problem = path + QStringLiteral(": a symbolic link, not used");
        else if (error != ENOENT)
            *problem = path + QStringLiteral(": ") + errorText(error);
    }
    return fd;
}

ReadStatus readFileAt(int dir, const QString &dirPath, const QString &name, qint64 maxSize, QByteArray *out,
                      QString *problem)
{
    const QString path = dirPath + QLatin1Char('/') + name;
    Fd fd(::openat(dir, QFile::encodeName(name).constData(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC));
    if (!fd.valid()) {
        if (errno == ENOENT)
            return ReadStatus::Missing;
        *problem = path + (errno == ELOOP ? QStringLiteral(": a symbolic link, not read")
                                          : QStringLiteral(": ") + errorText(errno));
        return ReadStatus::Refused;
    }
    struct stat st;
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        *problem = path + QStringLiteral(": not a regular file, not read");
        return ReadStatus::Refused;
    }
    if (st.st_size > maxSize) {
        *problem = path + QStringLiteral(": larger than %1 bytes, not read").arg(maxSize);
        return ReadStatus::Refused;
    }
    QByteArray data(qsizetype(st.st_size), Qt::Uninitialized);
    qsizetype got = 0;
    while (got < data.size()) {
        const ssize_t n = ::read(fd.get(), data.data() + got, size_t(data.size() - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            *problem = path + QStringLiteral(": ") + errorText(errno);
            return ReadStatus::Refused;
        }
        if (n == 0)
            break; // shrank meanwhile
        got += n;
    }
    data.truncate(got);
    *out = data;
    return ReadStatus::Ok;
}

} // namespace PrivateFiles
