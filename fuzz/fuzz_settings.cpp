// The settings text conversions on any stored text: each key's text converts as its row's kind requires
// or falls back to the row's default, never anything else; the conversions agree with the standard
// library's reading of the same numbers; and whatever the store holds, the loaded options are a state the
// window can show, which saves and loads back unchanged.
//
// Input: the text of each key in key-table order, one per line; keys past the last line are missing.
#include "FuzzSupport.h"
#include "MemoryStore.h"
#include "Settings.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

namespace {

using namespace vantrel;

std::string LowerAscii(std::string_view text) {
    std::string lower{text};
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; });
    return lower;
}

// std::from_chars takes no leading '+'; one '+' before a digit or point is allowed here, as in the store.
std::optional<std::string_view> WithoutPlus(std::string_view text) {
    if (text.empty() || text.front() != '+') {
        return text;
    }
    text.remove_prefix(1);
    if (text.empty() || text.front() == '-' || text.front() == '+') {
        return std::nullopt;
    }
    return text;
}

// Boolean text read by other means: the two words, or a fixed-notation number where only zero is false.
std::optional<bool> BooleanByStandardLibrary(std::string_view text) {
    const std::string lower = LowerAscii(text);
    if (lower == "true" || lower == "false") {
        return lower == "true";
    }
    const auto number = WithoutPlus(text);
    if (!number || number->find_first_not_of("0123456789.-") != std::string_view::npos) {
        return std::nullopt;
    }
    double value = 0;
    const auto [end, error] =
        std::from_chars(number->data(), number->data() + number->size(), value, std::chars_format::fixed);
    if (error == std::errc::invalid_argument || end != number->data() + number->size()) {
        return std::nullopt;
    }
    return error == std::errc::result_out_of_range || value != 0; // out of range is never zero
}

// Check-box text read by other means: a whole decimal number that is 0, 1 or 2.
std::optional<int> CheckValueByStandardLibrary(std::string_view text) {
    const auto number = WithoutPlus(text);
    if (!number) {
        return std::nullopt;
    }
    int value = 0;
    const auto [end, error] = std::from_chars(number->data(), number->data() + number->size(), value);
    if (error != std::errc{} || end != number->data() + number->size() || value < kUnchecked || value > kGrey) {
        return std::nullopt;
    }
    return value;
}

void CheckConversions(std::string_view text) {
    const auto boolean = ParseBoolean(text);
    if (boolean != BooleanByStandardLibrary(text)) {
        fuzz::Fail("Boolean text reads as the standard library reads it", text, "");
    }
    const auto check = ParseCheckValue(text);
    if (check != CheckValueByStandardLibrary(text)) {
        fuzz::Fail("check-box text reads as the standard library reads it", text, "");
    }
    for (const SettingsKey& row : kSettingsKeys) {
        const int value = ValueFromText(row, text);
        const int fallback = ValueFromText(row, row.defaultText);
        const std::optional<int> converted =
            IsOptionButton(row.member) ? (boolean ? std::optional<int>{*boolean ? 1 : 0} : std::nullopt) : check;
        if (value != converted.value_or(fallback)) {
            fuzz::Fail("a text converts or falls back to its row's default", std::to_string(value),
                       std::to_string(converted.value_or(fallback)));
        }
    }
}

bool CanShow(const BuildOptions& options) {
    const auto oneAtMost = [](const std::array<bool, 3>& group) {
        return std::count(group.begin(), group.end(), true) <= 1;
    };
    const auto isCheckValue = [](int value) { return value >= kUnchecked && value <= kGrey; };
    return oneAtMost(options.nodes) && oneAtMost(options.blockmap) &&
           std::all_of(options.Check1.begin(), options.Check1.end(), isCheckValue) &&
           std::all_of(options.Check2.begin(), options.Check2.end(), isCheckValue) && isCheckValue(options.Check3) &&
           isCheckValue(options.Check4);
}

void CheckLoadAndSave(std::string_view lines) {
    MemoryStore store;
    for (const SettingsKey& row : kSettingsKeys) {
        if (lines.empty()) {
            break;
        }
        store.Write(kSettingsApplication, kSettingsSection, row.key, fuzz::TakeLine(lines));
    }
    const BuildOptions loaded = LoadOptions(store, InitialOptions());
    if (!CanShow(loaded)) {
        fuzz::Fail("stored text loads into options the window can show", "a group with two buttons or a bad check", "");
    }
    MemoryStore saved;
    SaveOptions(saved, loaded);
    if (LoadOptions(saved, InitialOptions()) != loaded) {
        fuzz::Fail("loaded options save and load back unchanged", "other options", "the same options");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CheckConversions(bytes);
    std::string_view rest = bytes;
    CheckConversions(fuzz::TakeLine(rest));
    CheckLoadAndSave(bytes);
    return 0;
}
