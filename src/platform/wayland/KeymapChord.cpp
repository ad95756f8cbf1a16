#include "platform/wayland/KeymapChord.h"

#include <xkbcommon/xkbcommon.h>

namespace {

struct ContextDeleter {
    void operator()(xkb_context *context) const { xkb_context_unref(context); }
};
struct StateDeleter {
    void operator()(xkb_state *state) const { xkb_state_unref(state); }
};

// The name unless the user's XKB_DEFAULT_ variable sets it; null leaves the field to xkbcommon.
const char *field(const QByteArray &name, const char *variable)
{
    return qEnvironmentVariableIsEmpty(variable) && !name.isEmpty() ? name.constData() : nullptr;
}

} // namespace

void KeymapDeleter::operator()(xkb_keymap *keymap) const
{
    xkb_keymap_unref(keymap);
}

KeymapPtr CompileKeymap(const XkbRuleNames &names)
{
    std::unique_ptr<xkb_context, ContextDeleter> context(xkb_context_new(XKB_CONTEXT_NO_FLAGS));
    if (!context)
        return nullptr;
    xkb_rule_names rmlvo = {};
    rmlvo.rules = field(names.rules, "XKB_DEFAULT_RULES");
    rmlvo.model = field(names.model, "XKB_DEFAULT_MODEL");
    rmlvo.layout = field(names.layout, "XKB_DEFAULT_LAYOUT");
    // A variant or options belong to the layout they came with.
    rmlvo.variant = rmlvo.layout ? field(names.variant, "XKB_DEFAULT_VARIANT") : nullptr;
    rmlvo.options = field(names.options, "XKB_DEFAULT_OPTIONS");
    return KeymapPtr(xkb_keymap_new_from_names(context.get(), &rmlvo, XKB_KEYMAP_COMPILE_NO_FLAGS));
}

QByteArray KeymapText(xkb_keymap *keymap)
{
    char *text = xkb_keymap_get_as_string(keymap, XKB_KEYMAP_FORMAT_TEXT_V1);
    const QByteArray result(text);
    free(text);
    return result;
}

KeyPosition FindKeysym(xkb_keymap *keymap, uint32_t keysym)
{
    const xkb_keycode_t last = xkb_keymap_max_keycode(keymap);
    for (xkb_keycode_t code = xkb_keymap_min_keycode(keymap); code <= last; ++code) {
        const xkb_level_index_t levels = xkb_keymap_num_levels_for_key(keymap, code, 0);
        for (xkb_level_index_t level = 0; level < levels; ++level) {
            const xkb_keysym_t *syms = nullptr;
            const int count = xkb_keymap_key_get_syms_by_level(keymap, code, 0, level, &syms);
            if (count != 1 || syms[0] != keysym)
                continue;
            xkb_mod_mask_t masks[8];
            const size_t n = xkb_keymap_key_get_mods_for_level(keymap, code, 0, level, masks, 8);
            if (n == 0 && level > 0)
                continue; // no modifiers reach this level
            return {code, n ? masks[0] : 0};
        }
    }
    return {};
}

QList<ChordEvent> PlanChord(xkb_keymap *keymap, const QList<quint32> &keysyms)
{
    QList<KeyPosition> keys;
    for (quint32 keysym : keysyms) {
        const KeyPosition key = FindKeysym(keymap, keysym);
        if (!key.keycode)
            return {};
        keys << key;
    }
    std::unique_ptr<xkb_state, StateDeleter> state(xkb_state_new(keymap));
    QList<ChordEvent> events;
    uint32_t announced = 0; // a new keyboard starts with none
    const auto announce = [&](uint32_t mods) {
        if (mods != announced)
            events << ChordEvent{ChordEvent::Modifiers, 0, false, mods};
        announced = mods;
    };
    const auto held = [&] { return uint32_t(xkb_state_serialize_mods(state.get(), XKB_STATE_MODS_DEPRESSED)); };
    const auto step = [&](const KeyPosition &key, bool press) {
        events << ChordEvent{ChordEvent::Key, key.keycode - 8, press, 0};
        xkb_state_update_key(state.get(), key.keycode, press ? XKB_KEY_DOWN : XKB_KEY_UP);
        announce(held());
    };
    for (const KeyPosition &key : keys) {
        announce(held() | key.mods); // Shift for "@" on a US keyboard, AltGr on a German one
        step(key, true);
    }
    for (auto it = keys.crbegin(); it != keys.crend(); ++it)
        step(*it, false);
    return events;
}
