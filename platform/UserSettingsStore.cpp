#include "UserSettingsStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>

namespace vantrel {

namespace {

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString KeyPath(std::string_view section, std::string_view key) {
    return FromUtf8(section) + u'/' + FromUtf8(key);
}

std::unique_ptr<QSettings> OpenStore(const QString& application) {
    std::unique_ptr<QSettings> settings = NewUserSettings(application);
    settings->setFallbacksEnabled(false);
    // Written to a new file that replaces the old one only once complete: a failed write never leaves a
    // half-written store in place of a good one.
    settings->setAtomicSyncRequired(true);
    return settings;
}

// A stored value as text: an INI value with a comma reads back as a list; its text is kept as written.
QString TextOf(const QVariant& value) {
    return value.typeId() == QMetaType::QStringList ? value.toStringList().join(u',') : value.toString();
}

} // namespace

QSettings& UserSettingsStore::SettingsFor(std::string_view application) {
    if (!m_settings || m_application != application) {
        m_settings = OpenStore(FromUtf8(application));
        m_application = application;
        m_unflushed.clear();
    }
    return *m_settings;
}

std::string UserSettingsStore::Read(std::string_view application, std::string_view section, std::string_view key,
                                    std::string_view defaultText) {
    const QVariant value = SettingsFor(application).value(KeyPath(section, key));
    if (!value.isValid()) {
        return std::string{defaultText};
    }
    return TextOf(value).toStdString();
}

void UserSettingsStore::Write(std::string_view application, std::string_view section, std::string_view key,
                              std::string_view text) {
    const QString path = KeyPath(section, key);
    const QString value = FromUtf8(text);
    SettingsFor(application).setValue(path, value);
    m_unflushed.insert_or_assign(path, value);
}

bool UserSettingsStore::Flush() {
    if (!m_settings) {
        return true;
    }
    m_settings->sync();
    bool flushed = m_settings->status() == QSettings::NoError;
    if (m_settings->status() == QSettings::FormatError) {
        // The status keeps the first error of the store's life: that of a damaged file read around, which
        // would hide whether the write failed too. Whether the file now holds what was written tells.
        flushed = HoldsUnflushedWrites();
    }
    m_unflushed.clear();
    return flushed;
}

bool UserSettingsStore::HoldsUnflushedWrites() const {
    // Read from a copy: a second store on the same file would share this one's changes held in memory.
    const QTemporaryDir folder;
    const QString copy = folder.filePath(QStringLiteral("written.ini"));
    if (!folder.isValid() || !QFile::copy(m_settings->fileName(), copy)) {
        return false;
    }
    const QSettings written(copy, m_settings->format());
    return std::all_of(m_unflushed.cbegin(), m_unflushed.cend(),
                       [&written](const auto& entry) { return TextOf(written.value(entry.first)) == entry.second; });
}

std::string UserSettingsStore::Location() const {
    if (!m_settings) {
        return {};
    }
    return QDir::toNativeSeparators(m_settings->fileName()).toStdString();
}

} // namespace vantrel
