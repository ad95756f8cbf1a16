#pragma once
#include "app/AppServices.h"

// The real desktop behind the main window: clipboard, synthetic input, shell.
AppServices DesktopServices();
