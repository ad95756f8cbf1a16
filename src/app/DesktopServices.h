#pragma once
// The real desktop behind the main window: clipboard, synthetic input, hot keys, tray,
// sound, shell and the per-user store. Lives while the QApplication does.
#include "app/AppServices.h"

#include <memory>

class DesktopServices
{
public:
    DesktopServices();
    ~DesktopServices();
    AppServices services() const;

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};
