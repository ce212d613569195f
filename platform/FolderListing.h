#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// What one folder holds for the file browser: its folders and the files that match its patterns, each
// sorted alphabetically without regard to case.
struct FolderListing final {
    QStringList folders;
    QStringList files;
};

// A file-name pattern as a UTF-8 wildcard ('*' and '?', letter case ignored).
struct NamePattern final {
    std::string wildcard;
    // Bytes that end every name the wildcard matches (its characters after the last '*', where none is a '?'):
    // most names that do not match fail on these alone.
    std::string end;
};
using NamePatterns = std::vector<NamePattern>;

// Several patterns separated by ";" ("*.wad;*.pwad").
NamePatterns PatternsFrom(const QString& pattern);
bool MatchesAny(std::string_view name, const NamePatterns& patterns);

// Reads the folder straight from the file system: hidden entries are left out, and so are entries that
// are neither files nor folders and names the front end could not hand on unchanged. Nothing when the
// folder cannot be read.
std::optional<FolderListing> ListFolder(const QString& folder, const NamePatterns& patterns);

// The folder's entries as ListFolder takes them, unsorted; each platform's unit has its own.
std::optional<FolderListing> ReadFolderUnsorted(const QString& folder, const NamePatterns& patterns);

// Alphabetical without regard to case; names differing only in case keep a fixed order.
void SortNames(QStringList& names);

} // namespace vantrel
