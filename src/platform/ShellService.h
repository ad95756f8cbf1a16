#pragma once
// Opens addresses and documents with the desktop's default handler. Tests hand in a fake.
#include <QString>

class ShellService
{
public:
    virtual ~ShellService() = default;
    // An address (http, ftp, mailto); the result is what the desktop reported.
    virtual bool openUrl(const QString &url) = 0;
    // A local file with its default application, started in workingFolder where possible.
    virtual bool openFile(const QString &path, const QString &workingFolder) = 0;
};
