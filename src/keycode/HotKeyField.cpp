#include "keycode/HotKeyField.h"

#include "keycode/KeyTranslation.h"
#include "platform/x11/X11Keyboard.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

namespace keycode {
namespace {

constexpr quint32 kBackSpace = 0xff08;

int modifierOfKeysym(quint32 keysym)
{
    switch (keysym) {
    case 0xffe1: case 0xffe2: return HOTKEYF_SHIFT;   // Shift_L, Shift_R
    case 0xffe3: case 0xffe4: return HOTKEYF_CONTROL; // Control_L, Control_R
    default: return IsModifierKeysym(keysym) ? HOTKEYF_ALT : 0;
    }
}

win::WPARAM mouseKeyState(const QMouseEvent *e)
{
    win::WPARAM flags = 0;
    if (e->buttons() & Qt::LeftButton)
        flags |= win::MK_LBUTTON;
    if (e->buttons() & Qt::RightButton)
        flags |= win::MK_RBUTTON;
    if (e->buttons() & Qt::MiddleButton)
        flags |= win::MK_MBUTTON;
    if (e->modifiers() & Qt::ShiftModifier)
        flags |= win::MK_SHIFT;
    if (e->modifiers() & Qt::ControlModifier)
        flags |= win::MK_CONTROL;
    return flags;
}

// Message numbers of a button: down, up, double click.
struct ButtonMessages {
    win::UINT down, up, dblclk;
};

bool buttonMessages(Qt::MouseButton button, ButtonMessages *out)
{
    switch (button) {
    case Qt::LeftButton: *out = {win::WM_LBUTTONDOWN, win::WM_LBUTTONUP, win::WM_LBUTTONDBLCLK}; return true;
    case Qt::RightButton: *out = {win::WM_RBUTTONDOWN, win::WM_RBUTTONUP, win::WM_RBUTTONDBLCLK}; return true;
    case Qt::MiddleButton: *out = {win::WM_MBUTTONDOWN, win::WM_MBUTTONUP, win::WM_MBUTTONDBLCLK}; return true;
    default: return false;
    }
}

} // namespace

HotKeyField::HotKeyField(QWidget *parent, win::HWND parentHandle)
    : QWidget(parent),
      window_(this, &HotKeyField::FieldProc, parentHandle,
              win::WS_CHILD | win::WS_VISIBLE | win::WS_CLIPSIBLINGS | win::WS_CLIPCHILDREN)
{
    // A click gives the focus through the field's own procedure, after the router saw it.
    setFocusPolicy(Qt::TabFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setAccessibleName(QStringLiteral("キーの組み合わせ"));
}

QString HotKeyField::text() const
{
    return held_ ? HotKeyText(0, held_) : HotKeyText(value_ & 0xFF, value_ >> 8);
}

void HotKeyField::setValue(quint16 value)
{
    value_ = value;
    held_ = 0;
    update();
}

win::LRESULT HotKeyField::FieldProc(win::HWND hwnd, win::UINT msg, win::WPARAM wParam, win::LPARAM)
{
    auto *field = static_cast<HotKeyField *>(WidgetWindow::widgetOf(hwnd));
    if (!field)
        return 0;
    switch (msg) {
    case HKM_GETHOTKEY:
        return field->value_;
    case HKM_SETHOTKEY:
        field->setValue(quint16(wParam & 0xFFFF));
        return 0;
    case win::WM_LBUTTONDOWN:
    case win::WM_RBUTTONDOWN:
    case win::WM_MBUTTONDOWN:
        field->setFocus(Qt::MouseFocusReason);
        return 0;
    default:
        return 0;
    }
}

bool HotKeyField::event(QEvent *e)
{
    // Tab and Shift+Tab alone move the focus, so the button is reachable from the keyboard;
    // with Ctrl or Alt, Tab is a combination like any other.
    if (e->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(e);
        const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
        if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) && (mods & ~Qt::ShiftModifier) == 0)
            return QWidget::event(e);
        keyPressEvent(static_cast<QKeyEvent *>(e));
        return true;
    }
    return QWidget::event(e);
}

void HotKeyField::keyPressEvent(QKeyEvent *e)
{
    const quint32 state = e->nativeModifiers();
    const quint32 keysym = x11keys::UnshiftedKeysym(e->nativeScanCode(), state);
    if (const int modifier = modifierOfKeysym(keysym)) {
        held_ = ModifierFlags(state) | modifier;
        update();
        return;
    }
    // Backspace alone empties the field, so a wrong combination can be taken back.
    if (keysym == kBackSpace && ModifierFlags(state) == 0) {
        setValue(0);
        return;
    }
    const KeyStroke stroke = TranslateKey(keysym, state);
    if (stroke.virtualKey)
        setValue(HotKeyWord(stroke.virtualKey, stroke.keyFlag));
}

void HotKeyField::keyReleaseEvent(QKeyEvent *e)
{
    const quint32 state = e->nativeModifiers();
    const int modifier = modifierOfKeysym(x11keys::UnshiftedKeysym(e->nativeScanCode(), state));
    if (modifier && held_) {
        // All let go without a key: the last complete combination shows again.
        held_ = ModifierFlags(state) & ~modifier;
        update();
    }
}

void HotKeyField::focusInEvent(QFocusEvent *)
{
    win::SendMessage(hwnd(), win::WM_SETFOCUS, 0, 0);
    update();
}

void HotKeyField::focusOutEvent(QFocusEvent *)
{
    held_ = 0;
    win::SendMessage(hwnd(), win::WM_KILLFOCUS, 0, 0);
    update();
}

void HotKeyField::sendMouse(win::UINT msg, QMouseEvent *e)
{
    const QPoint p = e->position().toPoint();
    win::SendMessage(hwnd(), msg, mouseKeyState(e), win::MAKELPARAM(quint16(p.x()), quint16(p.y())));
}

void HotKeyField::mousePressEvent(QMouseEvent *e)
{
    ButtonMessages m;
    if (buttonMessages(e->button(), &m))
        sendMouse(m.down, e);
}

void HotKeyField::mouseReleaseEvent(QMouseEvent *e)
{
    ButtonMessages m;
    if (buttonMessages(e->button(), &m))
        sendMouse(m.up, e);
}

void HotKeyField::mouseDoubleClickEvent(QMouseEvent *e)
{
    ButtonMessages m;
    if (buttonMessages(e->button(), &m))
        sendMouse(m.dblclk, e);
}

void HotKeyField::mouseMoveEvent(QMouseEvent *e)
{
    sendMouse(win::WM_MOUSEMOVE, e);
}

void HotKeyField::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QStyleOptionFrame frame;
    frame.initFrom(this);
    frame.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &frame, this);
    frame.midLineWidth = 0;
    frame.state |= QStyle::State_Sunken;
    if (hasFocus())
        frame.state |= QStyle::State_HasFocus;
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &frame, &painter, this);
    const QRect inside = style()->subElementRect(QStyle::SE_LineEditContents, &frame, this).adjusted(2, 0, -2, 0);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text));
    painter.drawText(inside, Qt::AlignLeft | Qt::AlignVCenter, text());
}

QSize HotKeyField::sizeHint() const
{
    return QSize(150, 20);
}

} // namespace keycode
