#include "clipboard/ClipChange.h"

#include "clipboard/ClipHistory.h"
#include "clipboard/ClipSettings.h"

void ClipBoardChanged(iniMente &ini, ClipHistory &history, bool SelfCopyFlag, int selectedGroupRow,
                      const ClipChangeServices &services)
{
    // Settings are read first so that the clipboard, whose owner may hang, is read only when a
    // half needs it, and then only once.
    const bool beep = ClipSettings::ClipBoardBeep(ini);
    QString soundFile = ClipSettings::ClipBoardBeepWaveFileName(ini);
    if (!beep)
        soundFile.clear();
    const bool record = ClipSettings::ClipEnable(ini) && !SelfCopyFlag;

    ClipboardSnapshot clip;
    if ((!soundFile.isEmpty() || record) && services.readClipboard)
        clip = services.readClipboard();
    if (clip.secret) {
        clip.hasText = false;
        clip.text.clear();
    }

    if (!clip.text.isEmpty() && !soundFile.isEmpty() && services.playSound)
        services.playSound(soundFile);

    // A change that records nothing (an image, a secret, or the clipboard emptied when its
    // owner exits, as X11 does) leaves the lists and the user's selection alone.
    if (!record || !clip.hasText || clip.text.isEmpty())
        return;
    history.ShiftWriteClipHistory(clip.text);
    if (selectedGroupRow < 3 && services.refreshLists)
        services.refreshLists();
}
