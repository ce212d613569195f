#pragma once

#include <optional>
#include <string_view>
#include <vector>

namespace vantrel::fuzz {

// The characters of a strictly valid UTF-8 text, each as its bytes; nullopt when the text is not valid
// (overlong forms, surrogates, code points above U+10FFFF and truncated sequences all count as invalid).
// The oracles count characters with this instead of the code under test's own byte walk.
std::optional<std::vector<std::string_view>> Utf8Characters(std::string_view text);

// True when the text is strictly valid UTF-8.
inline bool IsValidUtf8(std::string_view text) {
    return Utf8Characters(text).has_value();
}

// Splits off the text up to the first newline (all of it when there is none) and drops it and the
// newline from `rest`; lets one fuzz input carry several fields.
std::string_view TakeLine(std::string_view& rest);

// Reports a broken property with the offending texts and aborts, so libFuzzer keeps the input.
[[noreturn]] void Fail(std::string_view property, std::string_view got, std::string_view expected);

} // namespace vantrel::fuzz
