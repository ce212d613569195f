#include "Text.h"

#include <algorithm>
#include <array>

namespace vantrel {

namespace {

constexpr unsigned char kLowestContinuation = 0x80;
constexpr unsigned char kHighestContinuation = 0xBF;
constexpr unsigned kContinuationMask = 0xC0U; // the top two bits of a UTF-8 byte
constexpr unsigned kContinuationBits = 6;
constexpr char32_t kContinuationPayload = 0x3F;

// The first byte of a UTF-8 sequence: how many bytes follow, its own bits, and the range the byte after it must
// lie in (narrower where wider would make an overlong form, a surrogate or a code point past U+10FFFF).
struct LeadByte final {
    unsigned char first;
    unsigned char last;
    std::size_t following;
    unsigned char payload;
    unsigned char lowest;
    unsigned char highest;
};

constexpr std::array<LeadByte, 8> kLeadBytes{{
    {0xC2, 0xDF, 1, 0x1F, 0x80, 0xBF},
    {0xE0, 0xE0, 2, 0x0F, 0xA0, 0xBF},
    {0xE1, 0xEC, 2, 0x0F, 0x80, 0xBF},
    {0xED, 0xED, 2, 0x0F, 0x80, 0x9F},
    {0xEE, 0xEF, 2, 0x0F, 0x80, 0xBF},
    {0xF0, 0xF0, 3, 0x07, 0x90, 0xBF},
    {0xF1, 0xF3, 3, 0x07, 0x80, 0xBF},
    {0xF4, 0xF4, 3, 0x07, 0x80, 0x8F},
}};

// A code point's UTF-8 bytes: the marker bits of the first byte by length, and the largest code point of each.
constexpr std::array<char32_t, 3> kLargestOfLength{0x7F, 0x7FF, 0xFFFF};
constexpr std::array<unsigned char, 4> kLeadMarker{0x00, 0xC0, 0xE0, 0xF0};

// Windows-1252's bytes 0x80 to 0x9F; elsewhere it is Latin-1, each byte its own code point. The five bytes it
// defines no character for stand for the replacement character, as the system's conversion refuses them.
constexpr char32_t kNone = kReplacementCharacter;
constexpr std::array<char32_t, kLastC1 - kFirstC1 + 1> kWindows1252C1{
    0x20AC, kNone,  0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, kNone,  0x017D, kNone,  kNone,  0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, kNone,  0x017E, 0x0178,
};

bool IsContinuationByte(char byte) {
    return (static_cast<unsigned char>(byte) & kContinuationMask) == kLowestContinuation;
}

bool SameIgnoringAsciiCase(char a, char b) {
    return LowerAscii(a) == LowerAscii(b);
}

} // namespace

Utf8Character DecodeUtf8(std::string_view bytes) {
    if (bytes.empty()) {
        return {};
    }
    const auto first = static_cast<unsigned char>(bytes.front());
    if (first < kFirstNonAscii) {
        return {Utf8Read::Character, 1, first};
    }
    const auto* lead = std::find_if(kLeadBytes.begin(), kLeadBytes.end(),
                                    [first](const LeadByte& row) { return first >= row.first && first <= row.last; });
    if (lead == kLeadBytes.end()) {
        return {Utf8Read::Malformed, 1};
    }
    char32_t ch = first & lead->payload;
    unsigned char lowest = lead->lowest;
    unsigned char highest = lead->highest;
    for (std::size_t length = 1; length <= lead->following; ++length) {
        if (length == bytes.size()) {
            return {Utf8Read::Unfinished, length};
        }
        const auto byte = static_cast<unsigned char>(bytes[length]);
        if (byte < lowest || byte > highest) {
            return {Utf8Read::Malformed, length};
        }
        ch = (ch << kContinuationBits) | (byte & kContinuationPayload);
        lowest = kLowestContinuation;
        highest = kHighestContinuation;
    }
    return {Utf8Read::Character, lead->following + 1, ch};
}

bool IsValidUtf8(std::string_view text) {
    while (!text.empty()) {
        // Most text is ASCII, which needs no reading.
        const auto* ascii = std::find_if(text.begin(), text.end(),
                                         [](char c) { return static_cast<unsigned char>(c) >= kFirstNonAscii; });
        text.remove_prefix(static_cast<std::size_t>(ascii - text.begin()));
        if (text.empty()) {
            break;
        }
        const Utf8Character character = DecodeUtf8(text);
        if (character.read != Utf8Read::Character) {
            return false;
        }
        text.remove_prefix(character.length);
    }
    return true;
}

void AppendUtf8(std::string& out, char32_t ch) {
    const auto length = static_cast<std::size_t>(std::find_if(kLargestOfLength.begin(), kLargestOfLength.end(),
                                                              [ch](char32_t largest) { return ch <= largest; }) -
                                                 kLargestOfLength.begin());
    std::array<char, 4> bytes{};
    for (std::size_t i = length; i > 0; --i) {
        bytes.at(i) = static_cast<char>(kLowestContinuation | (ch & kContinuationPayload));
        ch >>= kContinuationBits;
    }
    bytes[0] = static_cast<char>(kLeadMarker.at(length) | ch);
    out.append(bytes.data(), length + 1);
}

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

std::size_t EndOfCharacter(std::string_view text, std::size_t position) {
    std::size_t end = position + 1;
    while (end < text.size() && IsContinuationByte(text[end])) {
        ++end;
    }
    return end;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), SameIgnoringAsciiCase);
}

bool EndsWithIgnoringAsciiCase(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && EqualsIgnoringAsciiCase(text.substr(text.size() - end.size()), end);
}

char32_t FromWindows1252(unsigned char byte) {
    return byte >= kFirstC1 && byte <= kLastC1 ? kWindows1252C1.at(byte - kFirstC1) : byte;
}

} // namespace vantrel
