#include "UserSettingsStore.h"

#include <QDir>
#include <QStandardPaths>

namespace vantrel {

std::unique_ptr<QSettings> NewUserSettings(const QString& application) {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return std::make_unique<QSettings>(QDir(folder).filePath(application + u'/' + application + QStringLiteral(".ini")),
                                       QSettings::IniFormat);
}

} // namespace vantrel
