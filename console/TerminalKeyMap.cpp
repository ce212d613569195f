#include "TerminalKeyMap.h"

#include "TerminalModel.h"
#include "TerminalStrings.h"

#include <QKeyEvent>
#include <QKeySequence>

#include <algorithm>
#include <array>

namespace vantrel {

namespace {

struct ScreenKeyRow final {
    QKeyCombination keys;
    ScreenKey use;
};

// As a console window has them: the scroll keys with Shift, copy and paste with Ctrl+Shift, where Ctrl alone
// goes to the program.
constexpr std::array<ScreenKeyRow, 5> kScreenKeys{{
    {Qt::ControlModifier | Qt::ShiftModifier | Qt::Key_C, ScreenKey::Copy},
    {Qt::ControlModifier | Qt::ShiftModifier | Qt::Key_V, ScreenKey::Paste},
    {Qt::ShiftModifier | Qt::Key_Insert, ScreenKey::Paste},
    {Qt::ShiftModifier | Qt::Key_PageUp, ScreenKey::PageUp},
    {Qt::ShiftModifier | Qt::Key_PageDown, ScreenKey::PageDown},
}};

struct KeyRow final {
    int qtKey;
    TerminalKey key;
    unsigned modifiers; // what the key adds to those held down
};

// Backtab is what the toolkit makes of Shift+Tab.
constexpr std::array<KeyRow, 16> kKeys{{
    {Qt::Key_Return, TerminalKey::Enter, kNoModifier},
    {Qt::Key_Enter, TerminalKey::Enter, kNoModifier},
    {Qt::Key_Tab, TerminalKey::Tab, kNoModifier},
    {Qt::Key_Backtab, TerminalKey::Tab, kShift},
    {Qt::Key_Backspace, TerminalKey::Backspace, kNoModifier},
    {Qt::Key_Escape, TerminalKey::Escape, kNoModifier},
    {Qt::Key_Up, TerminalKey::Up, kNoModifier},
    {Qt::Key_Down, TerminalKey::Down, kNoModifier},
    {Qt::Key_Left, TerminalKey::Left, kNoModifier},
    {Qt::Key_Right, TerminalKey::Right, kNoModifier},
    {Qt::Key_Insert, TerminalKey::Insert, kNoModifier},
    {Qt::Key_Delete, TerminalKey::Delete, kNoModifier},
    {Qt::Key_Home, TerminalKey::Home, kNoModifier},
    {Qt::Key_End, TerminalKey::End, kNoModifier},
    {Qt::Key_PageUp, TerminalKey::PageUp, kNoModifier},
    {Qt::Key_PageDown, TerminalKey::PageDown, kNoModifier},
}};

// The keypad's flag says where a key is, not what it means.
Qt::KeyboardModifiers HeldModifiers(const QKeyEvent& event) {
    return event.modifiers() & ~Qt::KeypadModifier;
}

// The terminal's key for a key of the toolkit, with what it adds to the modifiers; TerminalKey::None for keys
// that arrive as characters.
KeyRow TerminalKeyFor(int qtKey) {
    if (qtKey >= Qt::Key_F1 && qtKey < Qt::Key_F1 + kFunctionKeys) {
        return {qtKey, FunctionKey(qtKey - Qt::Key_F1 + 1), kNoModifier};
    }
    const auto* row = std::find_if(kKeys.begin(), kKeys.end(), [qtKey](const KeyRow& r) { return r.qtKey == qtKey; });
    return row != kKeys.end() ? *row : KeyRow{qtKey, TerminalKey::None, kNoModifier};
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

} // namespace

ScreenKey ScreenKeyFor(const QKeyEvent& event, bool hasSelection) {
    if (event.matches(QKeySequence::Copy) && hasSelection) {
        return ScreenKey::Copy;
    }
    const QKeyCombination keys(HeldModifiers(event), static_cast<Qt::Key>(event.key()));
    const auto* row =
        std::find_if(kScreenKeys.begin(), kScreenKeys.end(), [keys](const ScreenKeyRow& r) { return r.keys == keys; });
    return row != kScreenKeys.end() ? row->use : ScreenKey::None;
}

bool TypeInto(TerminalModel& model, const QKeyEvent& event) {
    const Qt::KeyboardModifiers modifiers = HeldModifiers(event);
    const int key = event.key();
    const unsigned terminalModifiers = TerminalModifiersFor(modifiers);
    if (const KeyRow row = TerminalKeyFor(key); row.key != TerminalKey::None) {
        model.TypeKey(row.key, terminalModifiers | row.modifiers);
    } else if (modifiers.testFlag(Qt::ControlModifier) && key >= Qt::Key_A && key <= Qt::Key_Z) {
        // Ctrl and a letter go as the letter with Ctrl, whatever text the keyboard layout made of them.
        model.TypeCharacter(U'a' + static_cast<char32_t>(key - Qt::Key_A), terminalModifiers);
    } else if (!event.text().isEmpty()) {
        // The text already carries Shift; Alt is sent as the escape in front of it.
        for (const char32_t ch : ToUtf32(event.text())) {
            model.TypeCharacter(ch, terminalModifiers & kAlt);
        }
    } else {
        return false;
    }
    return true;
}

} // namespace vantrel
