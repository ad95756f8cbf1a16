#include "platform/desktop/SyntheticInputChooser.h"
#include "platform/ToplevelFocus.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QTimer>

namespace {

// Runs the event loop for ms: the compositor's events and clipboard requests are served meanwhile.
void pump(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Empty when one name has no keysym.
QList<quint32> keysymsFor(const QStringList &names)
{
    QList<quint32> keysyms;
    for (const QString &name : names) {
        const quint32 keysym = KeysymForKeyName(name);
        if (!keysym)
            return {};
        keysyms << keysym;
    }
    return keysyms;
}

} // namespace

SyntheticInputChooser::SyntheticInputChooser(SyntheticInput &x11, std::function<FocusHolder()> focusHolder,
                                             bool nativeWindows, QList<KeyChordSender *> senders,
                                             ToplevelFocus *toplevels)
    : m_x11(x11), m_focusHolder(std::move(focusHolder)), m_nativeWindows(nativeWindows),
      m_senders(std::move(senders)), m_toplevels(toplevels)
{
}

void SyntheticInputChooser::rememberFocus()
{
    if (!m_nativeWindows) {
        m_x11.rememberFocus();
        return;
    }
    switch (m_focusHolder()) {
    case FocusHolder::Ours: // shown again while in front: keep the window the user came from
        return;
    case FocusHolder::X11Client:
        m_nativeTarget = false;
        m_x11.rememberFocus();
        return;
    case FocusHolder::NoClient:
        m_nativeTarget = true;
        m_toplevel = m_toplevels ? m_toplevels->activeToplevel() : 0;
        return;
    }
}

bool SyntheticInputChooser::waitForNativeFocus()
{
    // Our window hid a moment ago; the compositor gives the focus back soon after, or to another
    // window. Until our windows have lost the X focus and the remembered window is active again,
    // keys could land in ours or in another window. Like the X11 path, ask for it when it does
    // not come by itself.
    QElapsedTimer clock;
    clock.start();
    bool asked = false;
    for (;;) {
        const bool toplevelBack = !m_toplevel || m_toplevels->activeToplevel() == m_toplevel;
        if (toplevelBack && m_focusHolder() == FocusHolder::NoClient)
            return true;
        if (clock.elapsed() >= m_focusTimeoutMs)
            return false;
        if (!toplevelBack && !asked && clock.elapsed() >= 30) {
            m_toplevels->activate(m_toplevel);
            asked = true;
        }
        pump(5);
    }
}

bool SyntheticInputChooser::paste()
{
    if (!m_nativeWindows || !m_nativeTarget)
        return m_x11.paste();
    if (!waitForNativeFocus()) {
        reportCopyOnly();
        return false;
    }
    const QString appId = m_toplevels ? m_toplevels->appId(m_toplevels->activeToplevel()) : QString();
    const QStringList windowClass = appId.isEmpty() ? QStringList() : QStringList{appId};
    const PasteRule rule = pasteRule();
    const PasteChoice choice = ChoosePasteKeys(windowClass, rule);
    QList<quint32> keysyms = keysymsFor(choice.keys);
    if (keysyms.isEmpty() && choice.terminal) // key names nobody knows: the default ones
        keysyms = keysymsFor(ChoosePasteKeys(windowClass, {rule.terminalClasses, QString()}).keys);
    if (keysyms.isEmpty())
        return false;
    if (choice.terminal) {
        // Terminals that paste on Shift+Insert read the primary selection.
        QClipboard *clipboard = QGuiApplication::clipboard();
        clipboard->setText(clipboard->text(QClipboard::Clipboard), QClipboard::Selection);
    }
    if (!sendChord(keysyms, true))
        return false;
    pump(m_settleMs); // the target now asks for the text
    return true;
}

PasteRule SyntheticInputChooser::pasteRule() const
{
    return m_rule ? m_rule() : PasteRule{DefaultTerminalClasses(), DefaultTerminalPasteKeys()};
}

bool SyntheticInputChooser::copyFromFocused()
{
    if (!m_nativeWindows)
        return m_x11.copyFromFocused();
    switch (m_focusHolder()) {
    case FocusHolder::Ours:
        return false;
    case FocusHolder::X11Client:
        return m_x11.copyFromFocused();
    case FocusHolder::NoClient:
        break;
    }
    // Nothing pasted, nothing lost: no report when the copy cannot be asked for.
    return sendChord(keysymsFor({QStringLiteral("ctrl"), QStringLiteral("c")}), false);
}

bool SyntheticInputChooser::sendChord(const QList<quint32> &keysyms, bool reportCopyOnly)
{
    for (KeyChordSender *sender : std::as_const(m_senders)) {
        const KeyChordSender::Result result = sender->sendChord(keysyms);
        if (result == KeyChordSender::Result::Sent)
            return true;
        if (result == KeyChordSender::Result::Refused)
            break;
    }
    if (reportCopyOnly)
        this->reportCopyOnly();
    return false;
}

void SyntheticInputChooser::reportCopyOnly()
{
    if (m_copyOnlyReported || !m_copyOnlyReport)
        return;
    m_copyOnlyReported = true;
    m_copyOnlyReport();
}

void SyntheticInputChooser::mouseButton(int button, bool press)
{
    m_x11.mouseButton(button, press);
}

void SyntheticInputChooser::moveBy(int dx, int dy)
{
    m_x11.moveBy(dx, dy);
}
