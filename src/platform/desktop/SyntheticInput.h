#pragma once
// Synthetic keyboard and mouse input, and the focus bookkeeping a paste needs.
#include "platform/PasteKeys.h"

#include <QStringList>
#include <functional>

class QWidget;

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

// XTest on Qt's own X connection; does nothing without an X display.
class X11SyntheticInput : public SyntheticInput
{
public:
    X11SyntheticInput();
    bool isAvailable() const;
    void rememberFocus() override;
    bool paste() override;
    bool copyFromFocused() override;
    void mouseButton(int button, bool press) override;
    void moveBy(int dx, int dy) override;

    unsigned long rememberedWindow() const { return m_focus; }
    // Where the terminal classes and keys come from, asked at each paste; the defaults without it.
    void setPasteRule(std::function<PasteRule()> rule) { m_rule = std::move(rule); }
    // The window that has the keyboard focus now (0 for none).
    static unsigned long focusedWindow();
    // WM_CLASS (instance and class) of the window, of its nearest ancestor that has one, or
    // else of the first client window below it (a frame of the window manager); empty if none.
    static QStringList windowClass(unsigned long window);

private:
    bool focusIsBack() const;
    // True when the remembered window got the focus back in time.
    bool waitForFocus();
    void releaseHeldModifiers();
    // Presses the keys in order and releases them in reverse, after releasing held modifiers.
    void sendChord(const QList<unsigned char> &keycodes);

    unsigned long m_focus = 0;  // the focus window when our window was shown
    unsigned long m_active = 0; // its top-level, as the window manager named it
    // Usually the focus is back within a few ms; a busy machine or window manager needs longer,
    // and keys sent before it is back are lost.
    int m_focusTimeoutMs = 1000;
    int m_settleMs = 100;
    std::function<PasteRule()> m_rule;
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

// The process's X11 input.
X11SyntheticInput &defaultSyntheticInput();

// Brings one of our windows forward with the time of the key event that asked for it,
// so that the window manager's focus-stealing prevention lets it through.
void activateWindow(QWidget *window, unsigned long timestamp);

namespace x11input {
// map[i] is the logical button of physical button i + 1 (XGetPointerMapping); returns the
// physical button that gives the logical one, or the logical number when none does.
int physicalButton(int logical, const unsigned char *map, int count);
} // namespace x11input
