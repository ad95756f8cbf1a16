#pragma once
// Synthetic keyboard and mouse input, and the focus bookkeeping a paste needs.
#include <QStringList>

// Who holds the keyboard focus as the X server sees it. Under XWayland a Wayland-native window
// leaves the X focus on none or the root: no X client holds it.
enum class FocusHolder { Ours, X11Client, NoClient };

class SyntheticInput
{
public:
    virtual ~SyntheticInput() = default;
    // Call whenever the program is about to show its window: remembers the window the
    // user came from (our own windows are never remembered).
    virtual void rememberFocus() = 0;
    // Call after hiding the window. Waits (bounded) until the remembered window has the
    // focus again, asking the window manager to activate it if it does not; releases the
    // modifiers the user still holds; sends Ctrl+V, or to a terminal emulator its own paste
    // keys with the clipboard's text also on the primary selection; then keeps the event loop
    // running a moment, since the target asks us (the selection owner) for the text. Returns false
    // when there is no display or the remembered window never got the focus back (the
    // keys then go to whatever has it).
    virtual bool paste() = 0;
    // Releases the modifiers the user still holds and sends Ctrl+C to the window that has the
    // focus, unless it is one of ours. False when nothing was sent.
    virtual bool copyFromFocused() = 0;
    // Logical buttons: 1 left, 2 middle, 3 right; at the pointer's position.
    virtual void mouseButton(int button, bool press) = 0;
    virtual void moveBy(int dx, int dy) = 0;
};

// Records calls instead of sending them, for tests of the code above this layer.
class RecordingSyntheticInput : public SyntheticInput
{
public:
    void rememberFocus() override { calls << QStringLiteral("remember"); }
    bool paste() override { calls << QStringLiteral("paste"); return pasteResult; }
    bool copyFromFocused() override { calls << QStringLiteral("copy"); return pasteResult; }
    void mouseButton(int button, bool press) override
    {
        calls << QStringLiteral("button %1 %2").arg(button).arg(press ? QStringLiteral("down") : QStringLiteral("up"));
    }
    void moveBy(int dx, int dy) override { calls << QStringLiteral("move %1 %2").arg(dx).arg(dy); }

    QStringList calls;
    bool pasteResult = true;
};
