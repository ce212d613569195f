#pragma once

// One control of the plain-controls baseline: what the plainest Qt Widgets program shows for one control of the
// main window, the frame that holds it and its caption. The table of them is written at build time from the
// main window's own table (bench_controls_table), so the two windows cannot drift apart.
enum class PlainKind { Frame, RadioButton, CheckBox, Label, LineEdit, PushButton };

struct PlainControl final {
    PlainKind kind{};
    int container{-1}; // the index of the frame that holds it; -1 for the window itself
    const char* caption{""};
};

// The window's client area in twips, as the main window's table gives it.
struct PlainTwips final {
    int width{};
    int height{};
};
