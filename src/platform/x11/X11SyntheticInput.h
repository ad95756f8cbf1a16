#pragma once
// The X11 back end of synthetic input: XTest and the focus queries on Qt's own X connection.
#include "platform/PasteKeys.h"
#include "platform/desktop/SyntheticInput.h"

#include <functional>

class QWidget;

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
    // Whether our windows, another X client or nobody X knows has the keyboard focus now.
    FocusHolder focusHolder() const;
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

// The process's X11 input.
X11SyntheticInput &x11SyntheticInput();

// Brings one of our windows forward with the time of the key event that asked for it,
// so that the window manager's focus-stealing prevention lets it through.
void activateWindow(QWidget *window, unsigned long timestamp);

namespace x11input {
// map[i] is the logical button of physical button i + 1 (XGetPointerMapping); returns the
// physical button that gives the logical one, or the logical number when none does.
int physicalButton(int logical, const unsigned char *map, int count);
} // namespace x11input
