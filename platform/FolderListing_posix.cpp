#include "FolderListing.h"

#include "Text.h"

#include <QFile>

#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace vantrel {

namespace {

// U+FEFF, the byte order mark, in UTF-8.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

enum class EntryKind { File, Folder, Other };

EntryKind KindOf(int directory, const dirent& entry) {
    if (entry.d_type == DT_DIR) {
        return EntryKind::Folder;
    }
    if (entry.d_type == DT_REG) {
        return EntryKind::File;
    }
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN) {
        return EntryKind::Other;
    }
    struct stat info {}; // a link counts as what it points to
    if (fstatat(directory, entry.d_name, &info, 0) != 0) {
        return EntryKind::Other;
    }
    return S_ISDIR(info.st_mode) ? EntryKind::Folder : S_ISREG(info.st_mode) ? EntryKind::File : EntryKind::Other;
}

// The name as text, or nothing when the text would name another file, which choosing it would hand NodeBuilder:
// a name that is not valid UTF-8 reads as replacement characters, and Qt reads a byte order mark at the start
// of a text as no character at all.
std::optional<QString> TextOf(std::string_view name) {
    if (!IsValidUtf8(name) || name.starts_with(kByteOrderMark)) {
        return std::nullopt;
    }
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

} // namespace

std::optional<FolderListing> ReadFolderUnsorted(const QString& folder, const NamePatterns& patterns) {
    // Most entries say what they are without a stat of their own, and only the names that are listed are
    // converted to text. Names starting with a dot are hidden; devices, sockets and broken links are neither
    // files nor folders.
    DIR* directory = opendir(QFile::encodeName(folder).constData());
    if (directory == nullptr) {
        return std::nullopt;
    }
    FolderListing listing;
    while (const dirent* entry = readdir(directory)) {
        const std::string_view name = entry->d_name;
        if (name.empty() || name.front() == '.') {
            continue;
        }
        const EntryKind kind = KindOf(dirfd(directory), *entry);
        const bool wanted = kind == EntryKind::Folder || (kind == EntryKind::File && MatchesAny(name, patterns));
        if (!wanted) {
            continue;
        }
        if (std::optional<QString> text = TextOf(name)) {
            (kind == EntryKind::Folder ? listing.folders : listing.files).append(std::move(*text));
        }
    }
    closedir(directory);
    return listing;
}

} // namespace vantrel
