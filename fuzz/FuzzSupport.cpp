#include "FuzzSupport.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>

namespace vantrel::fuzz {

namespace {

// One form of UTF-8 sequence: how its first byte looks, and the code points it may carry.
struct SequenceForm final {
    unsigned leadMask;
    unsigned leadBits;
    std::size_t length;
    char32_t minimum; // below it the form is overlong
};

constexpr std::array<SequenceForm, 4> kForms{{
    {0x80U, 0x00U, 1, 0x0},
    {0xE0U, 0xC0U, 2, 0x80},
    {0xF0U, 0xE0U, 3, 0x800},
    {0xF8U, 0xF0U, 4, 0x10000},
}};
constexpr unsigned kContinuationMask = 0xC0U;
constexpr unsigned kContinuationBits = 0x80U;
constexpr unsigned kPayloadBits = 6;
constexpr char32_t kFirstSurrogate = 0xD800;
constexpr char32_t kLastSurrogate = 0xDFFF;
constexpr char32_t kLastCodePoint = 0x10FFFF;

std::optional<std::size_t> CharacterLength(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text.front());
    const auto* form = std::find_if(kForms.begin(), kForms.end(),
                                    [lead](const SequenceForm& f) { return (lead & f.leadMask) == f.leadBits; });
    if (form == kForms.end() || text.size() < form->length) {
        return std::nullopt;
    }
    char32_t codePoint = lead & ~form->leadMask;
    for (std::size_t i = 1; i < form->length; ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if ((byte & kContinuationMask) != kContinuationBits) {
            return std::nullopt;
        }
        codePoint = (codePoint << kPayloadBits) | (byte & ~kContinuationMask);
    }
    const bool surrogate = codePoint >= kFirstSurrogate && codePoint <= kLastSurrogate;
    if (codePoint < form->minimum || surrogate || codePoint > kLastCodePoint) {
        return std::nullopt;
    }
    return form->length;
}

} // namespace

std::optional<std::vector<std::string_view>> Utf8Characters(std::string_view text) {
    std::vector<std::string_view> characters;
    while (!text.empty()) {
        const auto length = CharacterLength(text);
        if (!length) {
            return std::nullopt;
        }
        characters.push_back(text.substr(0, *length));
        text.remove_prefix(*length);
    }
    return characters;
}

std::string_view TakeLine(std::string_view& rest) {
    const std::size_t end = rest.find('\n');
    const std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    return line;
}

void Fail(std::string_view property, std::string_view got, std::string_view expected) {
    std::fprintf(stderr, "PROPERTY BROKEN: %.*s\n  got:      [%.*s]\n  expected: [%.*s]\n",
                 static_cast<int>(property.size()), property.data(), static_cast<int>(got.size()), got.data(),
                 static_cast<int>(expected.size()), expected.data());
    std::abort();
}

} // namespace vantrel::fuzz
