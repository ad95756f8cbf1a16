#include "platform/desktop/ProgramIcon.h"

#include <QFile>

QIcon ProgramIcon(const QString &appId)
{
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString file = QStringLiteral(":/icons/%1/%2.png").arg(size).arg(appId);
        if (QFile::exists(file))
            icon.addFile(file, QSize(size, size));
    }
    return icon;
}
