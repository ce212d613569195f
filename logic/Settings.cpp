#include "Settings.h"

#include "Text.h"

#include <algorithm>

namespace vantrel {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view WithoutSign(std::string_view text) {
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        text.remove_prefix(1);
    }
    return text;
}

bool AllDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), IsDigit);
}

bool AllZeros(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c == '0'; });
}

} // namespace

std::optional<bool> ParseBoolean(std::string_view text) {
    if (EqualsIgnoringAsciiCase(text, "true")) {
        return true;
    }
    if (EqualsIgnoringAsciiCase(text, "false")) {
        return false;
    }
    // A number: optional sign, digits, optionally a decimal point and more digits.
    const std::string_view number = WithoutSign(text);
    const std::size_t point = number.find('.');
    const std::string_view whole = number.substr(0, point);
    const std::string_view fraction = point == std::string_view::npos ? std::string_view{} : number.substr(point + 1);
    const bool wellFormed = (AllDigits(whole) || whole.empty()) && (AllDigits(fraction) || fraction.empty()) &&
                            !(whole.empty() && fraction.empty());
    if (!wellFormed) {
        return std::nullopt;
    }
    return !(AllZeros(whole) && AllZeros(fraction));
}

std::optional<int> ParseCheckValue(std::string_view text) {
    const std::string_view digits = WithoutSign(text);
    if (!AllDigits(digits)) {
        return std::nullopt;
    }
    const std::string_view significant = digits.substr(std::min(digits.find_first_not_of('0'), digits.size()));
    if (significant.empty()) {
        return kUnchecked;
    }
    if (significant.size() > 1 || text.front() == '-' || significant.front() > '2') {
        return std::nullopt;
    }
    return significant.front() - '0';
}

int ValueFromText(const SettingsKey& row, std::string_view text) {
    if (IsOptionButton(row.member)) {
        const auto value = ParseBoolean(text);
        return (value ? *value : *ParseBoolean(row.defaultText)) ? 1 : 0;
    }
    const auto value = ParseCheckValue(text);
    return value ? *value : *ParseCheckValue(row.defaultText);
}

std::string TextFromValue(const SettingsKey& row, int value) {
    if (IsOptionButton(row.member)) {
        return value != 0 ? "True" : "False";
    }
    return std::to_string(value);
}

BuildOptions LoadOptions(SettingsStore& store, BuildOptions start) {
    for (const SettingsKey& row : kSettingsKeys) {
        const std::string text = store.Read(kSettingsApplication, kSettingsSection, row.key, row.defaultText);
        Assign(start, row.member, ValueFromText(row, text));
    }
    return start;
}

bool SaveOptions(SettingsStore& store, const BuildOptions& options) {
    for (const SettingsKey& row : kSettingsKeys) {
        store.Write(kSettingsApplication, kSettingsSection, row.key, TextFromValue(row, ValueOf(options, row.member)));
    }
    return store.Flush();
}

} // namespace vantrel
