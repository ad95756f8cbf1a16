#pragma once
// Reads each change of the CLIPBOARD selection on a thread with an X connection of its own, as
// soon as the change happens: the user-interface thread never waits for an owner, and an owner
// that is replaced a few milliseconds later has still been asked. The owner is asked once, in
// one round, for its targets and the text (then for the password hint, where it lists one);
// each round is awaited at most RequestTimeoutMs, and so is each piece of a large text.
#include "platform/ClipboardChain.h"

#include <functional>
#include <memory>

class X11ClipboardReader
{
public:
    static constexpr int RequestTimeoutMs = 1000;
    // Called on the reading thread, once per change read, in order, with the owner's window.
    using Delivery = std::function<void(ClipboardSnapshot, quint32 owner)>;

    // Changes whose owner window lies in the resource range base/mask (our own connection's)
    // are skipped: those are read where they are made.
    X11ClipboardReader(quint32 skipBase, quint32 skipMask, Delivery deliver);
    ~X11ClipboardReader(); // stops the thread

    // False when the X server or its XFIXES extension could not be reached.
    bool isRunning() const;
    // Waits until every change made before the call has been read and delivered (or passed over as
    // replaced). Another program's window id may be that of an earlier owner that has gone, so the
    // owner alone cannot tell whether the newest change has been read. False at the time limit.
    bool waitUntilCurrent(int timeoutMs);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
