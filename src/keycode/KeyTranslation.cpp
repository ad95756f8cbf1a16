#include "keycode/KeyTranslation.h"

#include "platform/VirtualKeys.h"

#include <QStringList>

namespace keycode {
namespace {

// Keys that Windows reports with the extended flag; the keypad's navigation keys (Num Lock
// off) are not among them, although they give the same virtual-key codes.
constexpr quint32 kExtendedKeysyms[] = {
    0xff51, 0xff52, 0xff53, 0xff54, // Left, Up, Right, Down
    0xff63, 0xffff,                 // Insert, Delete
    0xff50, 0xff57, 0xff55, 0xff56, // Home, End, Prior, Next
    0xff8d, 0xffaf,                 // KP_Enter, KP_Divide
    0xffe4, 0xffea,                 // Control_R, Alt_R
    0xff7f, 0xff61,                 // Num_Lock, Print
    0xffeb, 0xffec, 0xff67,         // Super_L, Super_R, Menu
};

constexpr quint32 kModifierKeysyms[] = {
    0xffe1, 0xffe2, // Shift_L, Shift_R
    0xffe3, 0xffe4, // Control_L, Control_R
    0xffe9, 0xffea, // Alt_L, Alt_R
    0xffe7, 0xffe8, // Meta_L, Meta_R
    0xfe03,         // ISO_Level3_Shift (AltGr)
};

struct KeyName {
    int vk;
    const char *name;
};

constexpr KeyName kNames[] = {
    {0x08, "Backspace"}, {0x09, "Tab"}, {0x0C, "Clear"}, {0x0D, "Enter"}, {0x13, "Pause"},
    {0x14, "Caps Lock"}, {0x1B, "Esc"}, {0x20, "Space"}, {0x21, "Page Up"}, {0x22, "Page Down"},
    {0x23, "End"}, {0x24, "Home"}, {0x25, "Left"}, {0x26, "Up"}, {0x27, "Right"},
    {0x28, "Down"}, {0x2C, "Print Screen"}, {0x2D, "Insert"}, {0x2E, "Delete"}, {0x5B, "Left Windows"},
    {0x5C, "Right Windows"}, {0x5D, "Application"}, {0x6A, "Num *"}, {0x6B, "Num +"}, {0x6D, "Num -"},
    {0x6E, "Num Del"}, {0x6F, "Num /"}, {0x90, "Num Lock"}, {0x91, "Scroll Lock"},
    // The Japanese keyboard's own keys.
    {0x15, "カタカナ/ひらがな"}, {0x1C, "変換"}, {0x1D, "無変換"}, {0xF0, "英数"},
    {0xF3, "半角/全角"}, {0xF4, "半角/全角"},
};

template <typename T, size_t N>
bool contains(const T (&table)[N], T value)
{
    for (const T &item : table) {
        if (item == value)
            return true;
    }
    return false;
}

QString keyName(int vk, int flag)
{
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9'))
        return QString(QChar(vk));
    if (vk >= 0x60 && vk <= 0x69)
        return QStringLiteral("Num %1").arg(vk - 0x60);
    if (vk >= 0x70 && vk <= 0x87)
        return QStringLiteral("F%1").arg(vk - 0x6F);
    if (vk == 0x0D && (flag & HOTKEYF_EXT))
        return QStringLiteral("Num Enter");
    for (const KeyName &k : kNames) {
        if (k.vk == vk)
            return QString::fromUtf8(k.name);
    }
    // Punctuation: the character its keysym stands for.
    const quint32 sym = vkeys::VirtualKeyToKeysym(vk);
    if (sym > 0x20 && sym < 0x7F)
        return QString(QChar(char16_t(sym)));
    return QStringLiteral("0x") + QString::number(vk, 16).toUpper().rightJustified(2, QLatin1Char('0'));
}

} // namespace

int ModifierFlags(quint32 xState)
{
    int flags = 0;
    if (xState & kXShift)
        flags |= HOTKEYF_SHIFT;
    if (xState & kXControl)
        flags |= HOTKEYF_CONTROL;
    if (xState & kXAlt)
        flags |= HOTKEYF_ALT;
    return flags;
}

bool IsModifierKeysym(quint32 keysym)
{
    return contains(kModifierKeysyms, keysym);
}

KeyStroke TranslateKey(quint32 keysym, quint32 xState)
{
    KeyStroke stroke;
    if (IsModifierKeysym(keysym))
        return stroke;
    stroke.virtualKey = vkeys::KeysymToVirtualKey(keysym);
    if (stroke.virtualKey == 0)
        return stroke;
    stroke.keyFlag = ModifierFlags(xState);
    if (contains(kExtendedKeysyms, keysym))
        stroke.keyFlag |= HOTKEYF_EXT;
    return stroke;
}

QString HotKeyText(int virtualKey, int keyFlag)
{
    QStringList parts;
    if (keyFlag & HOTKEYF_CONTROL)
        parts << QStringLiteral("Ctrl");
    if (keyFlag & HOTKEYF_SHIFT)
        parts << QStringLiteral("Shift");
    if (keyFlag & HOTKEYF_ALT)
        parts << QStringLiteral("Alt");
    if (virtualKey == 0)
        return parts.isEmpty() ? QStringLiteral("なし") : parts.join(QStringLiteral(" + ")) + QStringLiteral(" + ");
    parts << keyName(virtualKey, keyFlag);
    return parts.join(QStringLiteral(" + "));
}

QString KeyCodeMessage(int virtualKey, int keyMask)
{
    return QStringLiteral("KeyCode : %1\r\n\r\nKeyMask : %2").arg(virtualKey).arg(keyMask);
}

} // namespace keycode
