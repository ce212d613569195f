#include "FolderListing.h"

#include "Paths.h"

#include <QDir>

#include <qt_windows.h>

#include <string>

namespace vantrel {

std::optional<FolderListing> ReadFolderUnsorted(const QString& folder, const NamePatterns& patterns) {
    // Each entry brings its attributes along. Hidden entries and system files are left out; Qt's own listing
    // lets files with the system attribute through.
    FolderListing listing;
    WIN32_FIND_DATAW entry{};
    const std::wstring pattern = QDir::toNativeSeparators(JoinPath(folder, QStringLiteral("*"))).toStdWString();
    HANDLE search = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr,
                                     FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) {
        return GetLastError() == ERROR_FILE_NOT_FOUND ? std::optional{listing} : std::nullopt;
    }
    do {
        const QString name = QString::fromWCharArray(entry.cFileName);
        const DWORD attributes = entry.dwFileAttributes;
        if (name == u"." || name == u".." || (attributes & FILE_ATTRIBUTE_HIDDEN) != 0) {
            continue;
        }
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            listing.folders.append(name);
        } else if ((attributes & FILE_ATTRIBUTE_SYSTEM) == 0 && MatchesAny(name.toStdString(), patterns)) {
            listing.files.append(name);
        }
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    return listing;
}

} // namespace vantrel
