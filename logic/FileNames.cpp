#include "FileNames.h"

#include "BuildOptions.h"

namespace vantrel {

namespace {

constexpr std::size_t kCutCharacters = 4;
constexpr unsigned kContinuationMask = 0xC0U; // the top two bits of a UTF-8 byte
constexpr unsigned kContinuationBits = 0x80U; // 10xxxxxx: a byte that carries on the character before it

bool IsContinuationByte(char byte) {
    return (static_cast<unsigned char>(byte) & kContinuationMask) == kContinuationBits;
}

// Where the last `count` characters of a UTF-8 text begin; 0 when it holds fewer.
std::size_t StartOfLastCharacters(std::string_view text, std::size_t count) {
    std::size_t position = text.size();
    while (count > 0 && position > 0) {
        --position;
        if (!IsContinuationByte(text[position])) {
            --count;
        }
    }
    // A stray continuation byte at the very start has no lead byte to stop at.
    return count > 0 ? 0 : position;
}

// The length in bytes of the UTF-8 character that starts at text[position].
std::size_t CharacterLength(std::string_view text, std::size_t position) {
    std::size_t end = position + 1;
    while (end < text.size() && IsContinuationByte(text[end])) {
        ++end;
    }
    return end - position;
}

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
    constexpr std::string_view kExtension = ".wad";
    const std::string_view last = name.substr(StartOfLastCharacters(name, kCutCharacters));
    if (last.size() != kExtension.size()) {
        return false; // a non-ASCII character among the last four can never lower-case to ".wad"
    }
    for (std::size_t i = 0; i < last.size(); ++i) {
        if (LowerAscii(last[i]) != kExtension[i]) {
            return false;
        }
    }
    return true;
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
            n += CharacterLength(name, n);
        } else if (p < pattern.size() && LowerAscii(pattern[p]) == LowerAscii(name[n])) {
            ++p;
            ++n;
        } else if (starPattern != std::string_view::npos) {
            p = starPattern + 1;
            starName += CharacterLength(name, starName);
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
