#pragma once
// Bookkeeping of the recent-file lists: numbered entries "RecentFile0" (newest) onward in a
// settings document, and the menu captions built from them.
#include <QString>
#include <QStringList>

class iniMente;

namespace RecentFiles {

constexpr int QuillboxItems = 10; // Quillbox's own list keeps at most this many
constexpr int EditorItems = 26;   // the editor's list shows at most this many
constexpr int CaptionPathLength = 30;

// "RecentFile" followed by the decimal digits of n.
QString EntryKey(int n);

// Windows-style paths (drive letter or "\\") name the same file in any letter case; POSIX
// paths are compared exactly, since two Linux files may differ only in case.
bool SamePath(const QString &a, const QString &b);

// Position of path among the entries (up to the first empty one), or -1.
int FindPath(const iniMente &list, const QString &path);

// Puts path at the top: an entry already there moves up (the list keeps its length),
// a new one pushes the rest down and the tenth falls out.
void AddPath(iniMente &list, const QString &path);

// The entries from the top up to the first empty one, at most maxItems of them.
QStringList Entries(const iniMente &list, int maxItems);

// The menu caption of entry index: plain is "name<TAB>path", otherwise the item gets the
// access key A, B, C, ... in front.
QString Caption(int index, const QString &path, bool plainCaptions);

} // namespace RecentFiles
