#pragma once

#include <array>

namespace vantrel {

// Check-box values as the window shows them; only Checked counts as on.
inline constexpr int kUnchecked = 0;
inline constexpr int kChecked = 1;
inline constexpr int kGrey = 2;

// The state of every option control of the main window.
struct BuildOptions final {
    std::array<bool, 3> nodes{};
    std::array<bool, 3> blockmap{};
    std::array<int, 3> Check1{};
    std::array<int, 4> Check2{};
    int Check3{};
    int Check4{};

    friend bool operator==(const BuildOptions&, const BuildOptions&) = default;
};

// The option controls by name; nodes and blockmap are option-button groups, the rest check boxes.
enum class OptionControl { nodes, blockmap, Check1, Check2, Check3, Check4 };

// One member of BuildOptions: a control and, for a control array, the index in it.
struct OptionMember final {
    OptionControl control{};
    int index{};
};

// True for the members of the two option-button groups.
bool IsOptionButton(OptionMember member);

// A button's state as 1 (selected) or 0, a check box's value as 0, 1 or 2.
int ValueOf(const BuildOptions& options, OptionMember member);

// True when the member counts as on: a selected button, a check box holding exactly 1.
bool IsOn(const BuildOptions& options, OptionMember member);

// Sets a member as the window would: a button set true selects it and clears the others of its group,
// a button set false clears only itself; a check box takes the value as it is.
void Assign(BuildOptions& options, OptionMember member, int value);

// The state of a freshly created main window, before any stored options are applied.
BuildOptions InitialOptions();

} // namespace vantrel
