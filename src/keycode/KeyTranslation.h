#pragma once
// What the key-code field makes of a key press: the virtual-key code and the modifier
// byte of its value word, and the texts the field and the window show for them.
#include <QString>
#include <QtGlobal>

namespace keycode {

// Modifier byte of the value word.
constexpr int HOTKEYF_SHIFT = 0x01;
constexpr int HOTKEYF_CONTROL = 0x02;
constexpr int HOTKEYF_ALT = 0x04;
constexpr int HOTKEYF_EXT = 0x08;

// X modifier state bits: Shift, Control, Mod1 (Alt). Super, the locks and the keyboard
// group count for nothing, as the field knows no Windows-key modifier.
constexpr quint32 kXShift = 0x01;
constexpr quint32 kXControl = 0x04;
constexpr quint32 kXAlt = 0x08;

struct KeyStroke {
    int virtualKey = 0; // 0: no complete combination
    int keyFlag = 0;
};

int ModifierFlags(quint32 xState);
// Shift, Ctrl and Alt keys: held alone they make no combination.
bool IsModifierKeysym(quint32 keysym);
// keysym: the key's own keysym, looked up with no modifiers (Shift+1 is the key "1").
KeyStroke TranslateKey(quint32 keysym, quint32 xState);

// The value word: modifier byte in bits 8-15, virtual-key code in bits 0-7.
constexpr quint16 HotKeyWord(int virtualKey, int keyFlag)
{
    return quint16(((keyFlag & 0xFF) << 8) | (virtualKey & 0xFF));
}

// "Ctrl + Shift + A"; with no key yet the held modifiers ("Ctrl + "), or "なし".
QString HotKeyText(int virtualKey, int keyFlag);
// The message box text: "KeyCode : 65", an empty line, "KeyMask : 3", lines ending in CR LF.
QString KeyCodeMessage(int virtualKey, int keyMask);

} // namespace keycode
