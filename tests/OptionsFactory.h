#pragma once

#include "BuildOptions.h"

#include <string_view>

// Options written as the window shows them: the selected button of each group (-1 for none) and the
// check boxes' values as digit strings, e.g. MakeOptions(0, 1, "010", "0011", 0, 0).
inline vantrel::BuildOptions MakeOptions(int node, int blockmap, std::string_view check1, std::string_view check2,
                                         int check3 = 0, int check4 = 0) {
    vantrel::BuildOptions options;
    for (int i = 0; i < 3; ++i) {
        options.nodes.at(i) = i == node;
        options.blockmap.at(i) = i == blockmap;
        options.Check1.at(i) = check1.at(i) - '0';
    }
    for (int i = 0; i < 4; ++i) {
        options.Check2.at(i) = check2.at(i) - '0';
    }
    options.Check3 = check3;
    options.Check4 = check4;
    return options;
}
