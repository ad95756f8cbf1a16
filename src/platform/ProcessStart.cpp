#include "platform/ProcessStart.h"

#include "platform/QtPlatformChoice.h"

#include <QFile>
#include <QProcess>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString describe(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

} // namespace

bool StartProgram(const QString &program, const QStringList &args, QString *error)
{
    // Check first what can be checked here: QProcess reports a failed exec of a detached
    // child only as a generic text.
    const QByteArray native = QFile::encodeName(program);
    struct stat st;
    if (program.isEmpty() || ::stat(native.constData(), &st) != 0) {
        if (error)
            *error = describe(program.isEmpty() ? ENOENT : errno);
        return false;
    }
    if (S_ISDIR(st.st_mode)) {
        if (error)
            *error = describe(EISDIR);
        return false;
    }
    if (::access(native.constData(), X_OK) != 0) {
        if (error)
            *error = describe(errno);
        return false;
    }
    QProcess process;
    process.setProgram(program);
    process.setArguments(args);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setProcessEnvironment(StartedProgramEnvironment());
    if (!process.startDetached()) {
        if (error)
            *error = process.errorString();
        return false;
    }
    return true;
}
