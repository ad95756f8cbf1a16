#pragma once
// Which Qt platform plugin the programs run on. In a Wayland session with XWayland, Qt would pick
// its Wayland plugin where installed; the window, focus and paste paths are built and tested on
// xcb, so that one is chosen unless the user chose with QT_QPA_PLATFORM.
#include <QProcessEnvironment>

// Call before the application object is made.
void PreferXcbPlatform();
// The environment for programs we start: without our own choice, so that they make theirs.
QProcessEnvironment StartedProgramEnvironment();
