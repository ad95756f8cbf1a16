#include "platform/desktop/DesktopShell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

bool DesktopShell::openUrl(const QString &url)
{
    return QDesktopServices::openUrl(QUrl(url, QUrl::TolerantMode));
}

bool DesktopShell::openFile(const QString &path, const QString &workingFolder)
{
    // The desktop's file handlers choose their own working folder.
    Q_UNUSED(workingFolder);
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
}
