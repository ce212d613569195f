#include "UserSettingsStore.h"

#include <QDir>
#include <QStandardPaths>

namespace vantrel {

namespace {

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString KeyPath(std::string_view section, std::string_view key) {
    return FromUtf8(section) + u'/' + FromUtf8(key);
}

std::unique_ptr<QSettings> OpenStore(const QString& application) {
#ifdef Q_OS_WIN
    auto settings = std::make_unique<QSettings>(
        QStringLiteral("HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\") + application,
        QSettings::NativeFormat);
#else
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    auto settings = std::make_unique<QSettings>(
        QDir(folder).filePath(application + u'/' + application + QStringLiteral(".ini")), QSettings::IniFormat);
#endif
    settings->setFallbacksEnabled(false);
    // Written to a new file that replaces the old one only once complete: a failed write never leaves a
    // half-written store in place of a good one.
    settings->setAtomicSyncRequired(true);
    return settings;
}

} // namespace

QSettings& UserSettingsStore::SettingsFor(std::string_view application) {
    if (!m_settings || m_application != application) {
        m_settings = OpenStore(FromUtf8(application));
        m_application = application;
    }
    return *m_settings;
}

std::string UserSettingsStore::Read(std::string_view application, std::string_view section, std::string_view key,
                                    std::string_view defaultText) {
    const QVariant value = SettingsFor(application).value(KeyPath(section, key));
    if (!value.isValid()) {
        return std::string{defaultText};
    }
    // An INI value with a comma reads back as a list; keep its text as written so it is judged as text.
    const QString text = value.typeId() == QMetaType::QStringList ? value.toStringList().join(u',') : value.toString();
    return text.toStdString();
}

void UserSettingsStore::Write(std::string_view application, std::string_view section, std::string_view key,
                              std::string_view text) {
    SettingsFor(application).setValue(KeyPath(section, key), FromUtf8(text));
}

bool UserSettingsStore::Flush() {
    if (!m_settings) {
        return true;
    }
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
}

std::string UserSettingsStore::Location() const {
    if (!m_settings) {
        return {};
    }
    return QDir::toNativeSeparators(m_settings->fileName()).toStdString();
}

} // namespace vantrel
