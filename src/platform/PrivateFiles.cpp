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

bool writeAtomically(const QString &path, const QByteArray &data, const std::function<bool()> &beforeRename)
{
    AtomicFile::Options options;
    options.mode = 0600;
    options.beforeRename = beforeRename;
    options.followLinks = false;
    return AtomicFile::write(path, data, nullptr, options);
}

} // namespace PrivateFiles
