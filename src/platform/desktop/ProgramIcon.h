#pragma once
// The icon of one of the family's programs, built into the executable as PNGs of every size
// the desktop asks for (no SVG plugin needed), the same images the install puts in hicolor.
#include <QIcon>

QIcon ProgramIcon(const QString &appId);
