#include "platform/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QString clean(const QString &path)
{
    QString p = QDir::cleanPath(path);
    while (p.size() > 1 && p.endsWith(QLatin1Char('/')))
        p.chop(1);
    return p;
}

bool sameFolder(const QString &a, const QString &b)
{
    if (a.isEmpty() || b.isEmpty())
        return false;
    if (clean(a) == clean(b))
        return true;
    // /usr/local/bin may be reached through a link; compare the real folders too.
    const QString ca = QFileInfo(a).canonicalFilePath();
    const QString cb = QFileInfo(b).canonicalFilePath();
    return !ca.isEmpty() && ca == cb;
}

} // namespace

ProgramFolder::ProgramFolder(const QString &executableDir, const QString &installBinDir,
                             const QString &installDataDir, const QString &configHome)
    : m_executableDir(clean(executableDir))
{
    const bool inCompiledPrefix = QDir::isAbsolutePath(installBinDir) && sameFolder(executableDir, installBinDir);
    // Any prefix (a package, `cmake --install --prefix`) puts the shared folder beside bin/.
    const QString besideBin = clean(m_executableDir + QLatin1String("/../share/quillbox"));
    const bool inAnyPrefix = QDir::isAbsolutePath(m_executableDir) && QFileInfo(besideBin).isDir();
    m_installed = inCompiledPrefix || inAnyPrefix;
    if (m_installed) {
        m_userFolder = clean(configHome + QLatin1String("/Quillbox"));
        const QString dataDir = !inCompiledPrefix ? m_executableDir + QLatin1String("/../share")
                : installDataDir.isEmpty()       ? installBinDir + QLatin1String("/../share")
                                                 : installDataDir;
        m_sharedFolder = clean(dataDir + QLatin1String("/quillbox"));
    } else {
        m_userFolder = m_executableDir;
        m_sharedFolder = m_executableDir;
    }
}

QString ProgramFolder::configHomeFrom(const QString &xdgConfigHome, const QString &homeDir)
{
    // Relative values are to be ignored by the XDG rules.
    if (!xdgConfigHome.isEmpty() && QDir::isAbsolutePath(xdgConfigHome))
        return clean(xdgConfigHome);
    return clean(homeDir + QLatin1String("/.config"));
}

ProgramFolder ProgramFolder::forThisProgram()
{
#ifdef QB_INSTALL_FULL_BINDIR
    const QString binDir = QStringLiteral(QB_INSTALL_FULL_BINDIR);
#else
    const QString binDir;
#endif
#ifdef QB_INSTALL_FULL_DATADIR
    const QString dataDir = QStringLiteral(QB_INSTALL_FULL_DATADIR);
#else
    const QString dataDir;
#endif
    const QString configHome = configHomeFrom(qEnvironmentVariable("XDG_CONFIG_HOME"), QDir::homePath());
    return ProgramFolder(QCoreApplication::applicationDirPath(), binDir, dataDir, configHome);
}

bool ProgramFolder::ensureUserFolder() const
{
    return !m_userFolder.isEmpty() && QDir().mkpath(m_userFolder);
}

bool ProgramFolder::seedSampleCardFile(const QString &exeBaseName) const
{
    if (!m_installed)
        return false;
    const QDir user(m_userFolder);
    // Only a user who has never run it: once a settings file exists, their choices stand.
    if (QFileInfo::exists(user.filePath(exeBaseName + QLatin1String(".ini"))))
        return false;
    const QString cardFile = user.filePath(exeBaseName + QLatin1String("Data.vlw"));
    if (QFileInfo::exists(cardFile) || QFileInfo(cardFile).isSymLink())
        return false;
    return QFile::copy(QDir(m_sharedFolder).filePath(QStringLiteral("sample.vlw")), cardFile)
           && QFile::setPermissions(cardFile, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}
