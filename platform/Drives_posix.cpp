#include "Drives.h"

#include "Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

#include <algorithm>
#include <array>

namespace vantrel {

namespace {

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

} // namespace

QList<Drive> SystemDrives::Drives() const {
    QList<Drive> drives;
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
    return drives;
}

bool SystemDrives::IsReady(const Drive& drive) const {
    const QStorageInfo volume(drive.root);
    // Once a medium is unmounted its mount folder belongs to the file system above it.
    return volume.isValid() && volume.isReady() && volume.rootPath() == drive.root && IsFolderReadable(drive.root);
}

bool IsFolderReadable(const QString& folder) {
    const QFileInfo info(folder);
    return info.isDir() && info.isReadable() && info.isExecutable();
}

QString SystemCurrentFolder(const Drive& /*drive*/) {
    return {}; // other drives start at their root
}

} // namespace vantrel
