#include "UserSettingsStore.h"

namespace vantrel {

std::unique_ptr<QSettings> NewUserSettings(const QString& application) {
    return std::make_unique<QSettings>(QStringLiteral("HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\") +
                                           application,
                                       QSettings::NativeFormat);
}

} // namespace vantrel
