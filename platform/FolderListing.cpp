#include "FolderListing.h"

#include "Drives.h"
#include "FileNames.h"

#include <algorithm>
#include <utility>

namespace vantrel {

namespace {

constexpr unsigned char kFirstNonAscii = 0x80;

} // namespace

NamePatterns PatternsFrom(const QString& pattern) {
    NamePatterns patterns;
    for (const QString& part : pattern.split(u';', Qt::SkipEmptyParts)) {
        patterns.push_back(part.trimmed().toStdString());
    }
    return patterns;
}

bool MatchesAny(std::string_view name, const NamePatterns& patterns) {
    return std::any_of(patterns.cbegin(), patterns.cend(),
                       [name](const std::string& pattern) { return MatchesWildcard(pattern, name); });
}

std::optional<FolderListing> ListFolder(const QString& folder, const NamePatterns& patterns) {
    if (!IsFolderReadable(folder)) {
        return std::nullopt;
    }
    std::optional<FolderListing> listing = ReadFolderUnsorted(folder, patterns);
    if (listing) {
        SortNames(listing->folders);
        SortNames(listing->files);
    }
    return listing;
}

void SortNames(QStringList& names) {
    // Each name is folded once into a byte key, so comparisons are plain byte compares: for ASCII names
    // the bytes lower-cased, otherwise the UTF-8 of the case-folded name (whose byte order is code-point order).
    std::vector<std::pair<std::string, qsizetype>> keyed;
    keyed.reserve(static_cast<std::size_t>(names.size()));
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QString& name = names.at(i);
        std::string key = name.toStdString();
        const bool ascii =
            std::all_of(key.begin(), key.end(), [](char c) { return static_cast<unsigned char>(c) < kFirstNonAscii; });
        if (ascii) {
            std::transform(key.begin(), key.end(), key.begin(), LowerAscii);
        } else {
            key = name.toCaseFolded().toStdString();
        }
        keyed.emplace_back(std::move(key), i);
    }
    std::sort(keyed.begin(), keyed.end(), [&names](const auto& a, const auto& b) {
        return a.first != b.first ? a.first < b.first : names.at(a.second) < names.at(b.second);
    });
    QStringList sorted;
    sorted.reserve(names.size());
    for (const auto& entry : keyed) {
        sorted.append(std::move(names[entry.second]));
    }
    names = std::move(sorted);
}

} // namespace vantrel
