#pragma once
#include "platform/ShellService.h"

// ShellService through QDesktopServices: the desktop's browser, mail program and file handlers.
class DesktopShell : public ShellService
{
public:
    bool openUrl(const QString &url) override;
    bool openFile(const QString &path, const QString &workingFolder) override;
};
