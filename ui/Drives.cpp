#include "Drives.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

#include <algorithm>
#include <array>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

namespace vantrel {

namespace {

#ifdef Q_OS_WIN
constexpr Qt::CaseSensitivity kPathCase = Qt::CaseInsensitive;
#else
constexpr Qt::CaseSensitivity kPathCase = Qt::CaseSensitive;
#endif

// Whether path is folder itself or lies somewhere below it.
bool IsWithin(const QString& path, const QString& folder) {
    if (path.compare(folder, kPathCase) == 0) {
        return true;
    }
    const QString prefix = folder.endsWith(u'/') ? folder : folder + u'/';
    return path.startsWith(prefix, kPathCase);
}

#ifndef Q_OS_WIN
// File systems that hold no files a person would pick: kernel interfaces, memory-backed scratch space,
// desktop-internal FUSE mounts and packaged read-only images.
bool IsPseudoFileSystem(const QByteArray& type) {
    static constexpr auto kTypes = std::to_array<const char*>(
        {"autofs", "binfmt_misc", "bpf",         "cgroup",         "cgroup2",    "configfs", "debugfs",
         "devpts", "devtmpfs",    "efivarfs",    "fusectl",        "hugetlbfs",  "mqueue",   "nsfs",
         "proc",   "pstore",      "ramfs",       "rpc_pipefs",     "securityfs", "squashfs", "sysfs",
         "tmpfs",  "tracefs",     "fuse.portal", "fuse.gvfsd-fuse"});
    return std::any_of(kTypes.cbegin(), kTypes.cend(), [&type](const char* pseudo) { return type == pseudo; });
}

bool IsBrowsedMount(const QString& root, const QString& homeMount) {
    if (root.contains(QStringLiteral("/."))) {
        return false; // inside a hidden folder: some program's private mount
    }
    if (root == homeMount) {
        return true;
    }
    static const std::array<QString, 4> kPlaces{QStringLiteral("/home"), QStringLiteral("/media"),
                                                QStringLiteral("/run/media"), QStringLiteral("/mnt")};
    return std::any_of(kPlaces.cbegin(), kPlaces.cend(),
                       [&root](const QString& place) { return IsWithin(root, place); });
}
#endif

#ifndef Q_OS_WIN
struct Mount final {
    QString root;
    QByteArray type;
};

// "\040" and kin in a mount table stand for a blank and other bytes that would split its fields.
QByteArray Unescaped(const QByteArray& field) {
    QByteArray out;
    for (qsizetype i = 0; i < field.size(); ++i) {
        const QByteArray digits = field.mid(i + 1, 3);
        const bool escape = field.at(i) == '\\' && digits.size() == 3 &&
                            std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '7'; });
        if (escape) {
            constexpr int kOctal = 8;
            out.append(static_cast<char>(digits.toInt(nullptr, kOctal)));
            i += 3;
        } else {
            out.append(field.at(i));
        }
    }
    return out;
}

// What is mounted where, read from the kernel's table without touching any mount: a network file system
// that stopped answering would otherwise hold up the dialog before it even opens.
QList<Mount> MountTable() {
    QList<Mount> mounts;
    QFile table(QStringLiteral("/proc/self/mounts"));
    if (table.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : table.readAll().split('\n')) {
            const QList<QByteArray> fields = line.split(' ');
            if (fields.size() >= 3) {
                mounts.append({QFile::decodeName(Unescaped(fields.at(1))), fields.at(2)});
            }
        }
        return mounts;
    }
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        mounts.append({volume.rootPath(), volume.fileSystemType()});
    }
    return mounts;
}
#endif

} // namespace

QList<Drive> SystemDrives::Drives() const {
    QList<Drive> drives;
#ifdef Q_OS_WIN
    for (const QFileInfo& info : QDir::drives()) {
        const QString root = info.absoluteFilePath(); // "C:/"
        drives.append({root.left(2).toLower(), root});
    }
#else
    const QString homeMount = QStorageInfo(QDir::homePath()).rootPath();
    for (const Mount& mount : MountTable()) {
        const QString& root = mount.root;
        const bool listed =
            std::any_of(drives.cbegin(), drives.cend(), [&root](const Drive& d) { return d.root == root; });
        if (root != u'/' && !listed && !IsPseudoFileSystem(mount.type) && IsBrowsedMount(root, homeMount)) {
            drives.append({root, root});
        }
    }
    std::sort(drives.begin(), drives.end(), [](const Drive& a, const Drive& b) { return a.root < b.root; });
    drives.prepend({QStringLiteral("/"), QStringLiteral("/")});
#endif
    return drives;
}

bool SystemDrives::IsReady(const Drive& drive) const {
    const QStorageInfo volume(drive.root);
    if (!volume.isValid() || !volume.isReady()) {
        return false;
    }
#ifndef Q_OS_WIN
    // Once a medium is unmounted its mount folder belongs to the file system above it.
    if (volume.rootPath() != drive.root) {
        return false;
    }
#endif
    return IsFolderReadable(drive.root);
}

std::optional<Drive> DriveHolding(const QList<Drive>& drives, const QString& folder) {
    std::optional<Drive> holding;
    for (const Drive& drive : drives) {
        if (IsWithin(folder, drive.root) && (!holding || drive.root.size() > holding->root.size())) {
            holding = drive;
        }
    }
    return holding;
}

bool IsFolderReadable(const QString& folder) {
    const QFileInfo info(folder);
#ifdef Q_OS_WIN
    return info.isDir() && info.isReadable();
#else
    return info.isDir() && info.isReadable() && info.isExecutable();
#endif
}

#ifdef Q_OS_WIN
QString DriveCurrentFolder(const QString& driveLetter) {
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
#endif

} // namespace vantrel
