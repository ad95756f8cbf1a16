#pragma once
// Qt claims the X clipboard with the time of the last X event it handled. A program that took the
// clipboard after that with the server's current time (xclip, XWayland mirroring a Wayland copy)
// makes Qt's claim fail without a word, and the text never reaches the clipboard. The claim here
// checks the server's answer and, when refused, brings Qt's time up to the server's and claims again.
#include <functional>

class QClipboard;
class QMimeData;

namespace x11clipboard {

// Puts what data makes on the clipboard through Qt (a claim made again takes a second copy); the
// clipboard's change signals are sent once, after the claim.
void Claim(QClipboard &clipboard, const std::function<QMimeData *()> &data);

} // namespace x11clipboard
