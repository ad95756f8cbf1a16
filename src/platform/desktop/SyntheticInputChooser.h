#pragma once
// Picks, per paste, how the keys reach the window the user came from: an X11 window gets the X11
// back end; a Wayland-native one the first key sender this desktop offers; with none, or when the
// user refused, the text stays on the clipboard and the user hears of it once.
#include "platform/KeyChordSender.h"
#include "platform/PasteKeys.h"
#include "platform/desktop/SyntheticInput.h"

#include <functional>

class ToplevelFocus;

class SyntheticInputChooser : public SyntheticInput
{
public:
    // x11 sends to X11 windows and moves the pointer; focusHolder says who has the X focus.
    // senders (in order of preference) and toplevels serve Wayland-native windows; none of them
    // is owned, and toplevels may be null. Outside a Wayland session (nativeWindows false) every
    // call goes to x11 unchanged.
    SyntheticInputChooser(SyntheticInput &x11, std::function<FocusHolder()> focusHolder, bool nativeWindows,
                          QList<KeyChordSender *> senders = {}, ToplevelFocus *toplevels = nullptr);

    void rememberFocus() override;
    bool paste() override;
    bool copyFromFocused() override;
    void mouseButton(int button, bool press) override;
    void moveBy(int dx, int dy) override;

    // Where the terminal classes and keys come from, asked at each paste; the defaults without it.
    void setPasteRule(std::function<PasteRule()> rule) { m_rule = std::move(rule); }
    PasteRule pasteRule() const;
    // Called the first time a paste leaves the text on the clipboard only.
    void setCopyOnlyReport(std::function<void()> report) { m_copyOnlyReport = std::move(report); }

private:
    bool waitForNativeFocus();
    // Sent by the first sender this session has; false (and the report) when none sent it.
    bool sendChord(const QList<quint32> &keysyms, bool reportCopyOnly);
    void reportCopyOnly();

    SyntheticInput &m_x11;
    std::function<FocusHolder()> m_focusHolder;
    bool m_nativeWindows;
    QList<KeyChordSender *> m_senders;
    ToplevelFocus *m_toplevels;
    std::function<PasteRule()> m_rule;
    std::function<void()> m_copyOnlyReport;
    bool m_copyOnlyReported = false;
    bool m_nativeTarget = false; // the window the user came from is not an X11 client
    quint64 m_toplevel = 0;      // its id in the compositor's list, when it shares one
    // As long as the X11 back end waits for its window, and as long after the keys.
    int m_focusTimeoutMs = 1000;
    int m_settleMs = 100;
};

// The process's synthetic input: X11 alone on an X11 desktop, the chooser's pick in a Wayland session.
SyntheticInputChooser &defaultSyntheticInput();
