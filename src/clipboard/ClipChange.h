#pragma once
// What the main window does on a clipboard change: the click sound, then the history.
#include "platform/ClipboardChain.h"

#include <QString>
#include <functional>

class iniMente;
class ClipHistory;

struct ClipChangeServices {
    // Reads the clipboard of this change; called at most once per change.
    std::function<ClipboardSnapshot()> readClipboard;
    // Starts the click sound and returns at once.
    std::function<void(const QString &soundFile)> playSound;
    // Group list click handling, then selection of the first item row.
    std::function<void()> refreshLists;
};

// The body of MainForm::ChangeClipBoard. selectedGroupRow is the group list's current row
// (-1 for none). Failures of any step are ignored.
void ClipBoardChanged(iniMente &ini, ClipHistory &history, bool SelfCopyFlag, int selectedGroupRow,
                      const ClipChangeServices &services);
