#pragma once

#include "BuildOptions.h"

#include <array>
#include <string>
#include <string_view>

namespace vantrel {

// The name the command line starts with; the launcher looks it up like any first word.
inline constexpr std::string_view kNodeBuilderName = "vantrel.exe";

// One row of the switch table: the text a member adds when on, and when off.
struct SwitchRow final {
    OptionMember member;
    std::string_view whenOn;
    std::string_view whenOff;
};

// The switch table, in the order the switches appear on the command line.
inline constexpr std::array<SwitchRow, 14> kSwitchTable{{
    {{OptionControl::nodes, 0}, "-n1 ", ""},
    {{OptionControl::nodes, 1}, "-n2 ", ""},
    {{OptionControl::nodes, 2}, "-n3 ", ""},
    {{OptionControl::blockmap, 0}, "-b -bc- ", ""},
    {{OptionControl::blockmap, 1}, "-b -bc ", ""},
    {{OptionControl::blockmap, 2}, "-b- -bc- ", ""},
    {{OptionControl::Check1, 0}, "-nq ", ""},
    {{OptionControl::Check1, 1}, "-nu ", "-nu- "},
    {{OptionControl::Check1, 2}, "-ni ", "-ni- "},
    {{OptionControl::Check2, 0}, "-rz ", ""},
    {{OptionControl::Check2, 1}, "-rf ", ""},
    {{OptionControl::Check2, 2}, "-rc ", "-rc- "},
    {{OptionControl::Check2, 3}, "-rg ", "-rg- "},
    {{OptionControl::Check3, 0}, "-t ", ""},
}};

// The three text fields the build reads.
struct BuildFields final {
    std::string_view input;
    std::string_view output;
    std::string_view level;
};

// What keeps the build from running, if anything.
enum class FieldProblem { None, EmptyPath, DoubleQuote, NulCharacter };

// An empty path is what the build has always refused; a double quote anywhere would change how the
// line splits into arguments, and a NUL would end the argument (on Windows the whole line) where the
// system reads it, so NodeBuilder could write to a file other than the one shown: both are refused.
FieldProblem CheckBuildFields(const BuildFields& fields);

// The switches alone, in table order, each ending in one blank.
std::string ComposeSwitches(const BuildOptions& options);

// NodeBuilder's whole command line: name, switches, "input" level -o "output".
std::string ComposeCommandLine(const BuildOptions& options, const BuildFields& fields);

} // namespace vantrel
