#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace vantrel {

// One entry of the file browser's drive list.
struct Drive final {
    QString text; // what the drive list shows
    QString root; // the folder the drive starts at, with "/" separators

    friend bool operator==(const Drive&, const Drive&) = default;
};

// Where the drive list comes from: the machine's drives, or a stand-in that tests can make unreadable.
class DriveSource {
public:
    DriveSource() = default;
    DriveSource(const DriveSource&) = delete;
    DriveSource& operator=(const DriveSource&) = delete;
    virtual ~DriveSource() = default;

    // The drives to offer, in the order the list shows them.
    [[nodiscard]] virtual QList<Drive> Drives() const = 0;
    // Whether the drive can be read now.
    [[nodiscard]] virtual bool IsReady(const Drive& drive) const = 0;
};

// Windows: the drive letters. Elsewhere: the root file system, the one holding the home folder and those
// mounted under /home, /media, /run/media and /mnt, each shown by its mount path; no pseudo file systems.
// A drive is ready while it is still mounted and its root folder can be read.
class SystemDrives final : public DriveSource {
public:
    [[nodiscard]] QList<Drive> Drives() const override;
    [[nodiscard]] bool IsReady(const Drive& drive) const override;
};

// The drive whose root holds the folder (the deepest one when roots nest), if any does.
std::optional<Drive> DriveHolding(const QList<Drive>& drives, const QString& folder);

// Whether the folder exists and its entries can be listed and opened.
bool IsFolderReadable(const QString& folder);

// The current folder that the system keeps for a drive, with "/" separators, where it keeps one and that
// folder can be read: Windows keeps one per drive letter; empty elsewhere and when the system cannot say.
QString SystemCurrentFolder(const Drive& drive);

} // namespace vantrel
