#pragma once
#include <QIcon>

// The program's icon for the window and the tray, drawn rather than shipped.
QIcon AppIcon();
