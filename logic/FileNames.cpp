#include "FileNames.h"

#include "BuildOptions.h"
#include "Text.h"

namespace vantrel {

namespace {

constexpr std::size_t kCutCharacters = 4;

} // namespace

std::string OutputNameFor(std::string_view input, int check4) {
    if (check4 == kChecked) {
        return std::string{input};
    }
    std::string output{input.substr(0, StartOfLastCharacters(input, kCutCharacters))};
    output += kOutputSuffix;
    return output;
}

bool IsWadFileName(std::string_view name) {
    // Four ASCII bytes at the end are four characters, and a non-ASCII character never lower-cases to ASCII.
    return EndsWithIgnoringAsciiCase(name, ".wad");
}

bool MatchesWildcard(std::string_view pattern, std::string_view name) {
    std::size_t p = 0;
    std::size_t n = 0;
    // Where the last '*' was, and how much of the name it has taken so far, for backtracking.
    std::size_t starPattern = std::string_view::npos;
    std::size_t starName = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starPattern = p++;
            starName = n;
        } else if (p < pattern.size() && pattern[p] == '?') {
            ++p;
            n = EndOfCharacter(name, n);
        } else if (p < pattern.size() && LowerAscii(pattern[p]) == LowerAscii(name[n])) {
            ++p;
            ++n;
        } else if (starPattern != std::string_view::npos) {
            p = starPattern + 1;
            starName = EndOfCharacter(name, starName);
            n = starName;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

} // namespace vantrel
