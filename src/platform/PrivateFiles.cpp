#include "platform/PrivateFiles.h"
#include "platform/AtomicFile.h"

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
    AtomicFile::Options options;
    options.mode = 0600;
    options.beforeRename = beforeRename;
    options.followLinks = false;
    return AtomicFile::write(path, data, nullptr, options);
}

} // namespace PrivateFiles
