// Writes the main window's table of controls as the plain-controls baseline reads it: for each row, the plain Qt
// control of its kind, the frame that holds it and its caption; and the window's size. Run at build time, so
// the baseline has the window's kinds, numbers and captions without a copy of them.
//   bench_controls_table OUTPUT
#include "Form1Controls.h"

#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>

namespace {

using vantrel::ControlKind;

// The plainest Qt control for each kind the main window shows: no classic look, no centring, no bold.
const char* PlainKindFor(ControlKind kind) {
    switch (kind) {
    case ControlKind::Frame:
        return "PlainKind::Frame";
    case ControlKind::OptionButton:
        return "PlainKind::RadioButton";
    case ControlKind::CheckBox:
        return "PlainKind::CheckBox";
    case ControlKind::Label:
    case ControlKind::CentredLabel:
        return "PlainKind::Label";
    case ControlKind::TextField:
        return "PlainKind::LineEdit";
    case ControlKind::Button:
        return "PlainKind::PushButton";
    }
    return nullptr;
}

// A C++ string literal of UTF-8 text; every byte outside printable ASCII as a three-digit octal escape, which
// never runs on into the next character.
std::string Literal(std::string_view text) {
    std::string literal{"\""};
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            literal += '\\';
            literal += c;
        } else if (byte < 0x20 || byte >= 0x7f) {
            std::array<char, 5> octal{};
            std::snprintf(octal.data(), octal.size(), "\\%03o", static_cast<unsigned>(byte));
            literal += octal.data();
        } else {
            literal += c;
        }
    }
    return literal + '"';
}

// The index of the earlier row named `name`; -1 when none is, that is when it is the window.
int ContainerIndex(std::string_view name, std::size_t before) {
    for (std::size_t i = 0; i < before; ++i) {
        if (name == vantrel::kForm1Controls.at(i).name) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_controls_table OUTPUT\n");
        return 2;
    }
    std::ofstream out(argv[1], std::ios::trunc);
    out << "// Written by bench_controls_table from the main window's table of controls.\n"
           "#pragma once\n\n#include \"PlainControls.h\"\n\n#include <array>\n\n"
        << "inline constexpr PlainTwips kPlainWindowTwips{" << vantrel::kForm1ClientArea.width << ", "
        << vantrel::kForm1ClientArea.height << "};\n\n"
        << "inline constexpr std::array<PlainControl, " << vantrel::kForm1Controls.size() << "> kPlainControls{{\n";
    for (std::size_t i = 0; i < vantrel::kForm1Controls.size(); ++i) {
        const auto& row = vantrel::kForm1Controls.at(i);
        out << "    {" << PlainKindFor(row.kind) << ", " << ContainerIndex(row.parent, i) << ", "
            << Literal(row.caption) << "},\n";
    }
    out << "}};\n";
    out.close();
    return out ? 0 : 1;
}
