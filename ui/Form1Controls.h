#pragma once

#include "Layout.h"

#include <array>

class QWidget;

namespace vantrel {

// What a control of the main window is.
enum class ControlKind { Frame, OptionButton, CheckBox, Label, CentredLabel, TextField, Button };

// One control of the main window and where it stands.
struct ControlRow final {
    const char* name; // the object name: the control's name, with "_index" for an array member
    ControlKind kind;
    const char* parent; // the containing frame, or "Form1"
    const char* caption;
    TwipRect rect;
    int tabPosition;
    bool bold;
};

// The window's client area in twips.
inline constexpr TwipRect kForm1ClientArea{0, 0, 7215, 6630};

// Every control of the main window, parents before children.
extern const std::array<ControlRow, 33> kForm1Controls;

// The widget for one row of the table, inside `parent`.
QWidget* CreateForm1Control(const ControlRow& row, QWidget* parent);

} // namespace vantrel
