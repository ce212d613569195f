#include "Drives.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

#include <qt_windows.h>

#include <string>

namespace vantrel {

namespace {

// The current folder that the system keeps for a drive letter ("d:"), with "/" separators; the drive's root
// when none was set, empty when the system cannot say.
QString DriveLetterCurrentFolder(const QString& driveLetter) {
    const std::wstring relative = driveLetter.toStdWString();
    const DWORD needed = GetFullPathNameW(relative.c_str(), 0, nullptr, nullptr);
    if (needed == 0) {
        return {};
    }
    std::wstring full(needed, L'\0');
    const DWORD length = GetFullPathNameW(relative.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) {
        return {};
    }
    full.resize(length);
    return QDir::cleanPath(QDir::fromNativeSeparators(QString::fromStdWString(full)));
}

} // namespace

QList<Drive> SystemDrives::Drives() const {
    QList<Drive> drives;
    for (const QFileInfo& info : QDir::drives()) {
        const QString root = info.absoluteFilePath(); // "C:/"
        drives.append({root.left(2).toLower(), root});
    }
    return drives;
}

bool SystemDrives::IsReady(const Drive& drive) const {
    const QStorageInfo volume(drive.root);
    return volume.isValid() && volume.isReady() && IsFolderReadable(drive.root);
}

bool IsFolderReadable(const QString& folder) {
    const QFileInfo info(folder);
    return info.isDir() && info.isReadable();
}

QString SystemCurrentFolder(const Drive& drive) {
    // Only a drive letter's root ("D:/") has a current folder of the system's.
    const bool driveLetter = drive.root.size() == 3 && drive.root.endsWith(QStringLiteral(":/"));
    const QString folder = driveLetter ? DriveLetterCurrentFolder(drive.root.left(2)) : QString();
    return !folder.isEmpty() && IsFolderReadable(folder) ? folder : QString();
}

} // namespace vantrel
