#pragma once
#include "platform/ShellService.h"

#include <QStringList>

// Records what would have been opened and answers with a preset result.
class FakeShell : public ShellService
{
public:
    bool result = true;
    QStringList urls;
    QStringList files;
    QStringList folders;

    bool openUrl(const QString &url) override
    {
        urls << url;
        return result;
    }
    bool openFile(const QString &path, const QString &workingFolder) override
    {
        files << path;
        folders << workingFolder;
        return result;
    }
};
