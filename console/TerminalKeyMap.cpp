#include "TerminalKeyMap.h"

#include <algorithm>
#include <array>

namespace vantrel {

namespace {

struct KeyRow final {
    int qtKey;
    TerminalKey key;
};

constexpr std::array<KeyRow, 16> kKeys{{
    {Qt::Key_Return, TerminalKey::Enter},
    {Qt::Key_Enter, TerminalKey::Enter},
    {Qt::Key_Tab, TerminalKey::Tab},
    {Qt::Key_Backtab, TerminalKey::Tab},
    {Qt::Key_Backspace, TerminalKey::Backspace},
    {Qt::Key_Escape, TerminalKey::Escape},
    {Qt::Key_Up, TerminalKey::Up},
    {Qt::Key_Down, TerminalKey::Down},
    {Qt::Key_Left, TerminalKey::Left},
    {Qt::Key_Right, TerminalKey::Right},
    {Qt::Key_Insert, TerminalKey::Insert},
    {Qt::Key_Delete, TerminalKey::Delete},
    {Qt::Key_Home, TerminalKey::Home},
    {Qt::Key_End, TerminalKey::End},
    {Qt::Key_PageUp, TerminalKey::PageUp},
    {Qt::Key_PageDown, TerminalKey::PageDown},
}};

} // namespace

TerminalKey TerminalKeyFor(int qtKey) {
    if (qtKey >= Qt::Key_F1 && qtKey < Qt::Key_F1 + kFunctionKeys) {
        return FunctionKey(qtKey - Qt::Key_F1 + 1);
    }
    const auto* row = std::find_if(kKeys.begin(), kKeys.end(), [qtKey](const KeyRow& r) { return r.qtKey == qtKey; });
    return row != kKeys.end() ? row->key : TerminalKey::None;
}

unsigned TerminalModifiersFor(Qt::KeyboardModifiers modifiers) {
    unsigned result = kNoModifier;
    if (modifiers.testFlag(Qt::ShiftModifier)) {
        result |= kShift;
    }
    if (modifiers.testFlag(Qt::AltModifier)) {
        result |= kAlt;
    }
    if (modifiers.testFlag(Qt::ControlModifier)) {
        result |= kControl;
    }
    return result;
}

} // namespace vantrel
