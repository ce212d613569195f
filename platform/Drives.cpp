#include "Drives.h"

#include "Paths.h"

namespace vantrel {

std::optional<Drive> DriveHolding(const QList<Drive>& drives, const QString& folder) {
    std::optional<Drive> holding;
    for (const Drive& drive : drives) {
        if (IsWithin(folder, drive.root) && (!holding || drive.root.size() > holding->root.size())) {
            holding = drive;
        }
    }
    return holding;
}

} // namespace vantrel
