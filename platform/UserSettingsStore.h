#pragma once

#include "Settings.h"

#include <QSettings>

#include <map>
#include <memory>

namespace vantrel {

// The current user's store. Windows: the registry key under "Software\VB and VBA Program Settings", one
// string value per key, where the platform's classic per-user settings keep application and section.
// Elsewhere: the INI file <application>/<application>.ini under the user's configuration folder
// ($XDG_CONFIG_HOME, ~/.config by default), one [section] per section.
class UserSettingsStore final : public SettingsStore {
public:
    UserSettingsStore() = default;

    std::string Read(std::string_view application, std::string_view section, std::string_view key,
                     std::string_view defaultText) override;
    void Write(std::string_view application, std::string_view section, std::string_view key,
               std::string_view text) override;
    bool Flush() override;
    [[nodiscard]] std::string Location() const override;

private:
    QSettings& SettingsFor(std::string_view application);
    // Whether the file, read afresh, holds every value written since the last flush.
    [[nodiscard]] bool HoldsUnflushedWrites() const;

    std::unique_ptr<QSettings> m_settings;
    std::string m_application;
    std::map<QString, QString> m_unflushed; // key path -> text
};

// Where the current user's store for an application is, as the QSettings that reads it; each platform's
// unit has its own.
std::unique_ptr<QSettings> NewUserSettings(const QString& application);

} // namespace vantrel
