#pragma once
// Whether the X server the programs need can be reached, asked before Qt is started: Qt
// aborts with a core dump when its platform plugin finds no display.
#include <QString>

// Empty when an X display can be opened; otherwise one line for standard error, such as
// "Quillbox: no X display (DISPLAY is not set); Quillbox needs an X11 or XWayland session."
QString X11DisplayProblem(const QString &programName);
// True when a display can be opened; otherwise prints X11DisplayProblem on standard error.
bool RequireX11Display(const QString &programName);
