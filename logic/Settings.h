#pragma once

#include "BuildOptions.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

// Where the options live in the per-user store.
inline constexpr std::string_view kSettingsApplication = "QMR";
inline constexpr std::string_view kSettingsSection = "Vantrel";

// One row of the key table: a stored key, the option it restores, and its text when missing.
struct SettingsKey final {
    std::string_view key;
    OptionMember member;
    std::string_view defaultText;
};

// The key table, in the order keys are read and written. "Option1".."Option4" belong to Check2,
// "Option5".."Option7" to Check1.
inline constexpr std::array<SettingsKey, 15> kSettingsKeys{{
    {"N1", {OptionControl::nodes, 0}, "True"},
    {"N2", {OptionControl::nodes, 1}, "False"},
    {"N3", {OptionControl::nodes, 2}, "False"},
    {"B1", {OptionControl::blockmap, 0}, "False"},
    {"B2", {OptionControl::blockmap, 1}, "True"},
    {"B3", {OptionControl::blockmap, 2}, "False"},
    {"Option1", {OptionControl::Check2, 0}, "0"},
    {"Option2", {OptionControl::Check2, 1}, "0"},
    {"Option3", {OptionControl::Check2, 2}, "1"},
    {"Option4", {OptionControl::Check2, 3}, "1"},
    {"Option5", {OptionControl::Check1, 0}, "0"},
    {"Option6", {OptionControl::Check1, 1}, "1"},
    {"Option7", {OptionControl::Check1, 2}, "0"},
    {"Option8", {OptionControl::Check3, 0}, "0"},
    {"Option9", {OptionControl::Check4, 0}, "0"},
}};

// The per-user store of text values. Only its implementation knows where the data lives.
class SettingsStore {
public:
    SettingsStore() = default;
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;
    virtual ~SettingsStore() = default;

    // The stored text, or defaultText when the key (or its section or application) is missing.
    virtual std::string Read(std::string_view application, std::string_view section, std::string_view key,
                             std::string_view defaultText) = 0;
    // Stores the text, creating what is missing; may be kept back until Flush.
    virtual void Write(std::string_view application, std::string_view section, std::string_view key,
                       std::string_view text) = 0;
    // Makes every write durable; false when that failed and nothing was replaced.
    virtual bool Flush() = 0;
    // Where the data lives, for messages to the user.
    [[nodiscard]] virtual std::string Location() const = 0;
};

// Boolean text: "True"/"False" in any case, or a number (zero is false); nothing else converts.
std::optional<bool> ParseBoolean(std::string_view text);

// Check-box text: an integer that is 0, 1 or 2; nothing else converts.
std::optional<int> ParseCheckValue(std::string_view text);

// The value of a key's text as its row's kind requires, or its default's value when it does not convert.
int ValueFromText(const SettingsKey& row, std::string_view text);

// A member's value as the text stored for it: "True"/"False" or "0"/"1"/"2".
std::string TextFromValue(const SettingsKey& row, int value);

// Reads every key in table order and assigns each before reading the next, starting from `start`.
BuildOptions LoadOptions(SettingsStore& store, BuildOptions start);

// Writes all fifteen keys in table order and flushes; false when the store could not keep them.
bool SaveOptions(SettingsStore& store, const BuildOptions& options);

} // namespace vantrel
