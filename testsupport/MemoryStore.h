#pragma once

#include "Settings.h"

#include <map>
#include <string>
#include <vector>

// A settings store in memory that remembers the order of reads and writes.
class MemoryStore final : public vantrel::SettingsStore {
public:
    std::map<std::string, std::string, std::less<>> values; // "application/section/key" -> text
    std::vector<std::string> reads;
    std::vector<std::string> writes;
    bool flushSucceeds{true};

    static std::string Path(std::string_view application, std::string_view section, std::string_view key) {
        return std::string{application} + '/' + std::string{section} + '/' + std::string{key};
    }

    std::string Read(std::string_view application, std::string_view section, std::string_view key,
                     std::string_view defaultText) override {
        reads.emplace_back(key);
        const auto found = values.find(Path(application, section, key));
        return found == values.end() ? std::string{defaultText} : found->second;
    }
    void Write(std::string_view application, std::string_view section, std::string_view key,
               std::string_view text) override {
        writes.emplace_back(key);
        values[Path(application, section, key)] = std::string{text};
    }
    bool Flush() override { return flushSucceeds; }
    [[nodiscard]] std::string Location() const override { return "memory"; }

    void Set(std::string_view key, std::string_view text) { values[Path("QMR", "Vantrel", key)] = std::string{text}; }
};
