#pragma once

#include <cstdint>

namespace vantrel {

// The keys a terminal encodes itself (cursor-key mode and the like); other keys arrive as characters.
enum class TerminalKey : std::uint8_t {
    None,
    Enter,
    Tab,
    Backspace,
    Escape,
    Up,
    Down,
    Left,
    Right,
    Insert,
    Delete,
    Home,
    End,
    PageUp,
    PageDown,
    F1, // F1 + n - 1 is Fn, up to F12
};

inline constexpr int kFunctionKeys = 12;

constexpr TerminalKey FunctionKey(int number) {
    return static_cast<TerminalKey>(static_cast<int>(TerminalKey::F1) + number - 1);
}

// Modifier keys held with a key, as a set of these bits.
enum TerminalModifier : unsigned {
    kNoModifier = 0U,
    kShift = 1U,
    kAlt = 2U,
    kControl = 4U,
};

} // namespace vantrel
