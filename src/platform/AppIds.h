#pragma once
// Reverse-DNS ids of the family's programs: desktop entries, icons, metadata and autostart
// files are named after them, and the window system matches windows to entries with them.
#include <QString>

namespace AppIds {
inline QString quillbox() { return QStringLiteral("org.fennecs.Quillbox"); }
inline QString tapscope() { return QStringLiteral("org.fennecs.Tapscope"); }
inline QString quillboxCards() { return QStringLiteral("org.fennecs.QuillboxCards"); }
} // namespace AppIds
