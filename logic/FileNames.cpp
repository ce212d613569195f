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

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
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

} // namespace vantrel
