#pragma once

#include <string>
#include <string_view>

namespace vantrel {

// The suffix that replaces the last four characters of an input name.
inline constexpr std::string_view kOutputSuffix = "_vtl.wad";

// The output path for an input path (UTF-8): the input itself when Check4 is 1, otherwise the input
// less its last four characters (all of it when shorter) followed by "_vtl.wad".
std::string OutputNameFor(std::string_view input, int check4);

// The drop test: the last four characters of the name, lower-cased, are exactly ".wad".
bool IsWadFileName(std::string_view name);

// A file list's name filter: '*' stands for any run of characters, '?' for one character; ASCII letters
// match without regard to case. Pattern and name are UTF-8.
bool MatchesWildcard(std::string_view pattern, std::string_view name);

} // namespace vantrel
