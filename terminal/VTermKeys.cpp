#include "VTermKeys.h"

#include <array>

namespace vantrel {

namespace {

// In the order of TerminalKey, from None to PageDown.
constexpr std::array<VTermKey, 15> kKeys{
    VTERM_KEY_NONE, VTERM_KEY_ENTER, VTERM_KEY_TAB,  VTERM_KEY_BACKSPACE, VTERM_KEY_ESCAPE,
    VTERM_KEY_UP,   VTERM_KEY_DOWN,  VTERM_KEY_LEFT, VTERM_KEY_RIGHT,     VTERM_KEY_INS,
    VTERM_KEY_DEL,  VTERM_KEY_HOME,  VTERM_KEY_END,  VTERM_KEY_PAGEUP,    VTERM_KEY_PAGEDOWN,
};

static_assert(kKeys.size() == static_cast<std::size_t>(TerminalKey::F1), "one libvterm key for each named key");

} // namespace

VTermKey ToVTermKey(TerminalKey key) {
    const auto index = static_cast<int>(key);
    const int function = index - static_cast<int>(TerminalKey::F1) + 1;
    if (function >= 1 && function <= kFunctionKeys) {
        return static_cast<VTermKey>(VTERM_KEY_FUNCTION(function));
    }
    return index < static_cast<int>(kKeys.size()) ? kKeys.at(static_cast<std::size_t>(index)) : VTERM_KEY_NONE;
}

VTermModifier ToVTermModifiers(unsigned modifiers) {
    unsigned result = VTERM_MOD_NONE;
    if ((modifiers & kShift) != 0) {
        result |= VTERM_MOD_SHIFT;
    }
    if ((modifiers & kAlt) != 0) {
        result |= VTERM_MOD_ALT;
    }
    if ((modifiers & kControl) != 0) {
        result |= VTERM_MOD_CTRL;
    }
    return static_cast<VTermModifier>(result);
}

} // namespace vantrel
