#include "platform/VirtualKeys.h"

#include <QHash>

namespace vkeys {
namespace {

struct Pair {
    int vk;
    quint32 keysym;
};

// Plain numbers so that this stays free of X headers; the first row of a keysym wins
// when mapping back.
constexpr Pair kTable[] = {
    {0x08, 0xff08}, // Back -> BackSpace
    {0x09, 0xff09}, // Tab
    {0x0C, 0xff0b}, // Clear
    {0x0D, 0xff0d}, // Return
    {0x10, 0xffe1}, // Shift -> Shift_L
    {0x11, 0xffe3}, // Control -> Control_L
    {0x12, 0xffe9}, // Menu -> Alt_L
    {0x13, 0xff13}, // Pause
    {0x14, 0xffe5}, // Capital -> Caps_Lock
    {0x15, 0xff27}, // Kana -> Hiragana_Katakana
    {0x19, 0xff21}, // Kanji
    {0x1B, 0xff1b}, // Escape
    {0x1C, 0xff23}, // Convert -> Henkan
    {0x1D, 0xff22}, // NonConvert -> Muhenkan
    {0x20, 0x0020}, // space
    {0x21, 0xff55}, // Prior
    {0x22, 0xff56}, // Next
    {0x23, 0xff57}, // End
    {0x24, 0xff50}, // Home
    {0x25, 0xff51}, // Left
    {0x26, 0xff52}, // Up
    {0x27, 0xff53}, // Right
    {0x28, 0xff54}, // Down
    {0x29, 0xff60}, // Select
    {0x2C, 0xff61}, // Snapshot -> Print (before Print, so Print maps back to it)
    {0x2A, 0xff61}, // Print
    {0x2B, 0xff62}, // Execute
    {0x2D, 0xff63}, // Insert
    {0x2E, 0xffff}, // Delete
    {0x2F, 0xff6a}, // Help
    {0x5B, 0xffeb}, // LWin -> Super_L
    {0x5C, 0xffec}, // RWin -> Super_R
    {0x5D, 0xff67}, // Apps -> Menu
    {0x5F, 0x1008ff2f}, // Sleep
    {0x6A, 0xffaa}, // Multiply -> KP_Multiply
    {0x6B, 0xffab}, // Add -> KP_Add
    {0x6C, 0xffac}, // Separator -> KP_Separator
    {0x6D, 0xffad}, // Subtract -> KP_Subtract
    {0x6E, 0xffae}, // Decimal -> KP_Decimal
    {0x6F, 0xffaf}, // Divide -> KP_Divide
    {0x90, 0xff7f}, // NumLock
    {0x91, 0xff14}, // Scroll -> Scroll_Lock
    {0xA0, 0xffe1}, // LShift
    {0xA1, 0xffe2}, // RShift
    {0xA2, 0xffe3}, // LControl
    {0xA3, 0xffe4}, // RControl
    {0xA4, 0xffe9}, // LMenu -> Alt_L
    {0xA5, 0xffea}, // RMenu -> Alt_R
    {0xA6, 0x1008ff26}, // Browser back
    {0xA7, 0x1008ff27}, // Browser forward
    {0xA8, 0x1008ff29}, // Browser refresh
    {0xA9, 0x1008ff28}, // Browser stop
    {0xAA, 0x1008ff1b}, // Browser search
    {0xAB, 0x1008ff30}, // Browser favorites
    {0xAC, 0x1008ff18}, // Browser home
    {0xAD, 0x1008ff12}, // Volume mute
    {0xAE, 0x1008ff11}, // Volume down
    {0xAF, 0x1008ff13}, // Volume up
    {0xB0, 0x1008ff17}, // Next track
    {0xB1, 0x1008ff16}, // Previous track
    {0xB2, 0x1008ff15}, // Media stop
    {0xB3, 0x1008ff14}, // Play/pause
    {0xB4, 0x1008ff19}, // Mail
    {0xB5, 0x1008ff32}, // Media select
    {0xB6, 0x1008ff33}, // App 1 -> MyComputer
    {0xB7, 0x1008ff1d}, // App 2 -> Calculator
    {0xBA, 0x003b}, // OEM_1 -> semicolon
    {0xBB, 0x003d}, // OEM_PLUS -> equal
    {0xBC, 0x002c}, // OEM_COMMA -> comma
    {0xBD, 0x002d}, // OEM_MINUS -> minus
    {0xBE, 0x002e}, // OEM_PERIOD -> period
    {0xBF, 0x002f}, // OEM_2 -> slash
    {0xC0, 0x0060}, // OEM_3 -> grave
    {0xDB, 0x005b}, // OEM_4 -> bracketleft
    {0xDC, 0x005c}, // OEM_5 -> backslash
    {0xDD, 0x005d}, // OEM_6 -> bracketright
    {0xDE, 0x0027}, // OEM_7 -> apostrophe
    {0xE2, 0x003c}, // OEM_102 -> less
    {0xF0, 0xff30}, // OEM_ATTN, the Japanese keyboard's 英数 -> Eisu_toggle
    {0xF3, 0xff2a}, // OEM_AUTO -> Zenkaku_Hankaku
    {0xF4, 0xff2a}, // OEM_ENLW -> Zenkaku_Hankaku
};

// Keysyms that only map back: what X reports for keys whose code has another keysym above.
constexpr Pair kBackOnly[] = {
    {0x09, 0xfe20}, // ISO_Left_Tab (Shift+Tab)
    {0x0D, 0xff8d}, // KP_Enter
    {0x24, 0xff95}, // KP_Home
    {0x25, 0xff96}, // KP_Left
    {0x26, 0xff97}, // KP_Up
    {0x27, 0xff98}, // KP_Right
    {0x28, 0xff99}, // KP_Down
    {0x21, 0xff9a}, // KP_Prior
    {0x22, 0xff9b}, // KP_Next
    {0x23, 0xff9c}, // KP_End
    {0x0C, 0xff9d}, // KP_Begin
    {0x2D, 0xff9e}, // KP_Insert
    {0x2E, 0xff9f}, // KP_Delete
    {0x12, 0xff7e}, // Mode_switch / AltGr
    {0x12, 0xfe03}, // ISO_Level3_Shift
    {0x12, 0xffe7}, // Meta_L
    {0x12, 0xffe8}, // Meta_R
};

quint32 ranged(int vk)
{
    if (vk >= 'A' && vk <= 'Z')
        return quint32(vk - 'A' + 'a'); // lower-case keysyms name the keys
    if (vk >= '0' && vk <= '9')
        return quint32(vk);
    if (vk >= 0x60 && vk <= 0x69)
        return quint32(0xffb0 + vk - 0x60); // KP_0 .. KP_9
    if (vk >= 0x70 && vk <= 0x87)
        return quint32(0xffbe + vk - 0x70); // F1 .. F24
    return 0;
}

int rangedBack(quint32 sym)
{
    if (sym >= 'a' && sym <= 'z')
        return int(sym - 'a' + 'A');
    if (sym >= 'A' && sym <= 'Z')
        return int(sym);
    if (sym >= '0' && sym <= '9')
        return int(sym);
    if (sym >= 0xffb0 && sym <= 0xffb9)
        return int(0x60 + sym - 0xffb0);
    if (sym >= 0xffbe && sym <= 0xffd5)
        return int(0x70 + sym - 0xffbe);
    return 0;
}

} // namespace

quint32 VirtualKeyToKeysym(int virtualKey)
{
    if (quint32 sym = ranged(virtualKey))
        return sym;
    for (const Pair &p : kTable) {
        if (p.vk == virtualKey)
            return p.keysym;
    }
    return 0;
}

int KeysymToVirtualKey(quint32 keysym)
{
    if (int vk = rangedBack(keysym))
        return vk;
    for (const Pair &p : kTable) {
        if (p.keysym == keysym)
            return p.vk;
    }
    for (const Pair &p : kBackOnly) {
        if (p.keysym == keysym)
            return p.vk;
    }
    return 0;
}

} // namespace vkeys
