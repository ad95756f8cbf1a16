#pragma once
// The desktop clipboard (CLIPBOARD selection) as the source of the viewer chain's messages,
// and the one place where text crosses the clipboard boundary.
#include "platform/ClipboardChain.h"

#include <QObject>

class ClipboardWatcher : public QObject
{
    Q_OBJECT
public:
    explicit ClipboardWatcher(ProcessClipboardChain &chain = SystemClipboardChain(), QObject *parent = nullptr);

    // The contents of the latest change, read from the clipboard on the first call after the
    // change and kept until the next one: a hung owner blocks a read for seconds.
    ClipboardSnapshot snapshot();

    // Puts text on the clipboard with LF line breaks. The change notification for it arrives
    // before this returns.
    static void WriteText(const QString &text);
    // Reads the clipboard now, ignoring the kept snapshot.
    static ClipboardSnapshot ReadClipboard();

    static const char PasswordHintFormat[]; // "x-kde-passwordManagerHint"

private:
    void onChanged();

    ProcessClipboardChain &chain_;
    ClipboardSnapshot snapshot_;
    bool haveSnapshot_ = false;
};
