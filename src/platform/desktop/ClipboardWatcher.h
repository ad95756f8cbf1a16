#pragma once
// The desktop clipboard (CLIPBOARD selection) as the source of the viewer chain's messages,
// and the one place where text crosses the clipboard boundary.
#include "platform/ClipboardChain.h"

#include <QObject>

#include <memory>

class X11ClipboardReader;

class ClipboardWatcher : public QObject
{
    Q_OBJECT
public:
    explicit ClipboardWatcher(ProcessClipboardChain &chain = SystemClipboardChain(), QObject *parent = nullptr);
    ~ClipboardWatcher() override;

    // The contents of the change being notified. Other programs' changes are read on a thread
    // of our own before the chain hears of them, so a hung owner never blocks the caller; our
    // own changes are read here, from our own data.
    ClipboardSnapshot snapshot();

    // Puts text on the clipboard with LF line breaks. The change notification for it arrives
    // before this returns.
    static void WriteText(const QString &text);
    // Reads the clipboard now through Qt, ignoring the kept snapshot.
    static ClipboardSnapshot ReadClipboard();

    static const char PasswordHintFormat[]; // "x-kde-passwordManagerHint"

private:
    void onChanged();
    void onRead(ClipboardSnapshot snapshot);

    ProcessClipboardChain &chain_;
    ClipboardSnapshot snapshot_;
    bool haveSnapshot_ = false;
    std::unique_ptr<X11ClipboardReader> reader_;
};
