#include "lookup/DicLoader.h"

#include "lookup/DicPlugin.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QStringList DicLoader::defaultFolders()
{
    const QString exeDir = QCoreApplication::applicationDirPath();
    return {exeDir, QDir::cleanPath(exeDir + QStringLiteral("/" QB_PLUGIN_DIR_FROM_BINDIR))};
}

DicLoader::DicLoader(QStringList folders) : folders_(std::move(folders)) {}

DicPlugin *DicLoader::plugin(QString *error)
{
    if (plugin_)
        return plugin_;
    QString file;
    for (const QString &folder : folders_) {
        const QString candidate = QDir(folder).filePath(QString::fromLatin1(FileName));
        if (QFileInfo(candidate).isFile()) {
            file = candidate;
            break;
        }
    }
    if (file.isEmpty()) {
        if (error)
            *error = QString::fromLatin1(FileName) + QStringLiteral(" not found in ") + folders_.join(QStringLiteral(", "))
                     + QStringLiteral("\r\nパッケージ「" QB_DIC_PACKAGE "」をインストールしてください。");
        return nullptr;
    }
    loader_.setFileName(file);
    plugin_ = qobject_cast<DicPlugin *>(loader_.instance());
    if (!plugin_ && error)
        *error = loader_.errorString();
    return plugin_;
}
