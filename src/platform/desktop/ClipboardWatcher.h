#pragma once
// The desktop clipboard (CLIPBOARD selection) as the source of the viewer chain's messages,
// and the one place where text crosses the clipboard boundary. Where the Wayland compositor lets
// a program control the clipboard, that is used: XWayland hides it from X11 programs there while a
// Wayland window has the focus. Elsewhere (X11, GNOME's mirrored XWayland) the X11 selection is.
#include "platform/ClipboardChain.h"

#include <QMutex>
#include <QObject>

#include <memory>

class WaylandClipboard;
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
    // The clipboard as it is now, for a command the user starts (a hot key right after a copy in
    // another program): while another program holds the clipboard, waits until the reader has read
    // every change up to now, at most a little longer than the reader waits for an owner's two rounds.
    ClipboardSnapshot currentSnapshot();

    // Puts text on the clipboard with LF line breaks (through the watcher's Wayland clipboard while
    // one exists). The change notification for it arrives before this returns.
    static void WriteText(const QString &text);
    // Reads the clipboard now through Qt, ignoring the kept snapshot.
    static ClipboardSnapshot ReadClipboard();

    static const char PasswordHintFormat[]; // "x-kde-passwordManagerHint"

private:
    void onChanged();
    void onRead(ClipboardSnapshot snapshot);
    quint32 clipboardOwner() const;

    ProcessClipboardChain &chain_;
    ClipboardSnapshot snapshot_;
    bool haveSnapshot_ = false;
    std::unique_ptr<WaylandClipboard> wayland_;
    std::unique_ptr<X11ClipboardReader> reader_;
    // Qt's connection, and the range of window ids that are our own.
    void *connection_ = nullptr;
    quint32 clipboardAtom_ = 0;
    quint32 ownBase_ = 0;
    quint32 ownMask_ = 0;
    // The reader's latest read and its owner, written on the reader's thread.
    QMutex latestMutex_;
    ClipboardSnapshot latest_;
    quint32 latestOwner_ = 0;
};
