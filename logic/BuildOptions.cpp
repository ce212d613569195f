#include "BuildOptions.h"

namespace vantrel {

namespace {

// Works for const and mutable options alike, so reading and assigning share one lookup.
template <typename Options> auto* GroupOf(Options& options, OptionControl control) {
    using Group = decltype(&options.nodes);
    switch (control) {
    case OptionControl::nodes:
        return &options.nodes;
    case OptionControl::blockmap:
        return &options.blockmap;
    default:
        return Group{nullptr};
    }
}

template <typename Options> auto* CheckOf(Options& options, OptionMember member) {
    using Value = decltype(&options.Check3);
    switch (member.control) {
    case OptionControl::Check1:
        return &options.Check1.at(member.index);
    case OptionControl::Check2:
        return &options.Check2.at(member.index);
    case OptionControl::Check3:
        return &options.Check3;
    case OptionControl::Check4:
        return &options.Check4;
    default:
        return Value{nullptr};
    }
}

} // namespace

bool IsOptionButton(OptionMember member) {
    return member.control == OptionControl::nodes || member.control == OptionControl::blockmap;
}

int ValueOf(const BuildOptions& options, OptionMember member) {
    if (const auto* group = GroupOf(options, member.control)) {
        return group->at(member.index) ? 1 : 0;
    }
    return *CheckOf(options, member);
}

bool IsOn(const BuildOptions& options, OptionMember member) {
    return ValueOf(options, member) == kChecked;
}

void Assign(BuildOptions& options, OptionMember member, int value) {
    if (auto* group = GroupOf(options, member.control)) {
        if (value != 0) {
            group->fill(false);
        }
        group->at(member.index) = value != 0;
        return;
    }
    *CheckOf(options, member) = value;
}

BuildOptions InitialOptions() {
    BuildOptions options;
    options.nodes = {true, false, false};
    options.blockmap = {false, false, false};
    options.Check1 = {kUnchecked, kChecked, kUnchecked};
    options.Check2 = {kUnchecked, kUnchecked, kChecked, kChecked};
    return options;
}

} // namespace vantrel
