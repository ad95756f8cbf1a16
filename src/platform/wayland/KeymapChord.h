#pragma once
// Key chords on a keyboard of our own: which key and modifiers give each keysym in a keymap, and
// the key and modifier events that press a chord, as a compositor's virtual keyboard takes them.
#include <QByteArray>
#include <QList>

#include <cstdint>
#include <memory>

struct xkb_keymap;

// The XKB rule names a keymap is compiled from; empty fields take xkbcommon's defaults.
struct XkbRuleNames {
    QByteArray rules, model, layout, variant, options;
};

struct KeymapDeleter {
    void operator()(xkb_keymap *keymap) const;
};
using KeymapPtr = std::unique_ptr<xkb_keymap, KeymapDeleter>;

// XKB_DEFAULT_RULES and its siblings win over the names given, as everywhere else xkbcommon runs.
// Null when the names do not compile.
KeymapPtr CompileKeymap(const XkbRuleNames &names);
// The keymap as its text, for uploading.
QByteArray KeymapText(xkb_keymap *keymap);

struct KeyPosition {
    uint32_t keycode = 0; // an XKB key code (evdev + 8); 0 when no key gives the keysym
    uint32_t mods = 0;    // the modifier mask that selects its level
};
// The lowest key that gives the keysym in the first layout, at its lowest level.
KeyPosition FindKeysym(xkb_keymap *keymap, uint32_t keysym);

struct ChordEvent {
    enum Kind { Key, Modifiers } kind = Key;
    uint32_t key = 0; // an evdev key code
    bool pressed = false;
    uint32_t depressed = 0; // for Modifiers: the modifiers now held
    bool operator==(const ChordEvent &o) const
    {
        return kind == o.kind && key == o.key && pressed == o.pressed && depressed == o.depressed;
    }
};
// Presses the keysyms in order and releases them in reverse, announcing the modifiers as a real
// keyboard does after each modifier key; empty when one keysym has no key in the keymap.
QList<ChordEvent> PlanChord(xkb_keymap *keymap, const QList<quint32> &keysyms);
