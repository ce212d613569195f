#include "FolderListing.h"

#include "Drives.h"
#include "FileNames.h"
#include "Text.h"

#include <QtEndian>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <utility>

namespace vantrel {

namespace {

std::string EndOf(std::string_view wildcard) {
    const std::size_t star = wildcard.rfind('*');
    const std::string_view end = star == std::string_view::npos ? std::string_view{} : wildcard.substr(star + 1);
    // '?' takes a whole character, which may be several bytes: such an end says nothing byte for byte.
    return end.find('?') == std::string_view::npos ? std::string(end) : std::string();
}

// Where a name goes in the order: its key, compared bytewise, is the name lower-cased where it is ASCII and
// otherwise the UTF-8 of its case-folded text (whose byte order is code-point order). The key's first sixteen
// bytes are packed into two numbers, most significant byte first, which settle most comparisons; the record
// is kept small because the sort moves it about.
struct SortRecord final {
    std::uint64_t head{}; // the key's bytes 0 to 7; zeros pad a short key, and no key holds a zero byte
    std::uint64_t next{}; // bytes 8 to 15
    std::uint32_t name{}; // the name's index, and its key's in the keys' table
};

constexpr std::size_t kPackedBytes = sizeof(SortRecord::head) + sizeof(SortRecord::next);

// The keys of all names in one buffer: a folder of 100,000 names sorts with a handful of allocations.
class SortKeys final {
public:
    explicit SortKeys(const QStringList& names) {
        m_bytes.reserve(static_cast<std::size_t>(names.size()) * kPackedBytes);
        m_ends.reserve(static_cast<std::size_t>(names.size()));
        for (const QString& name : names) {
            if (!AppendAsciiKey(name)) {
                m_bytes += name.toCaseFolded().toStdString();
            }
            m_ends.push_back(m_bytes.size());
        }
    }

    [[nodiscard]] SortRecord Record(std::uint32_t name) const {
        const std::string_view key = Key(name);
        std::array<char, kPackedBytes> packed{};
        std::memcpy(packed.data(), key.data(), std::min(key.size(), packed.size()));
        return {qFromBigEndian<std::uint64_t>(packed.data()),
                qFromBigEndian<std::uint64_t>(packed.data() + sizeof(SortRecord::head)), name};
    }

    // What follows the packed bytes of a name's key.
    [[nodiscard]] std::string_view Rest(std::uint32_t name) const {
        const std::string_view key = Key(name);
        return key.substr(std::min(key.size(), kPackedBytes));
    }

private:
    // The name lower-cased, where it is ASCII throughout; false, with nothing appended, where it is not.
    bool AppendAsciiKey(const QString& name) {
        const std::size_t start = m_bytes.size();
        m_bytes.resize(start + static_cast<std::size_t>(name.size()));
        char* key = m_bytes.data() + start;
        for (const QChar c : name) {
            if (c.unicode() >= kFirstNonAscii) {
                m_bytes.resize(start);
                return false;
            }
            *key++ = LowerAscii(static_cast<char>(c.unicode()));
        }
        return true;
    }

    [[nodiscard]] std::string_view Key(std::uint32_t name) const {
        const std::size_t start = name == 0 ? 0 : m_ends[name - 1];
        return std::string_view(m_bytes).substr(start, m_ends[name] - start);
    }

    std::string m_bytes;
    std::vector<std::size_t> m_ends;
};

} // namespace

NamePatterns PatternsFrom(const QString& pattern) {
    NamePatterns patterns;
    for (const QString& part : pattern.split(u';', Qt::SkipEmptyParts)) {
        std::string wildcard = part.trimmed().toStdString();
        std::string end = EndOf(wildcard);
        patterns.push_back({std::move(wildcard), std::move(end)});
    }
    return patterns;
}

bool MatchesAny(std::string_view name, const NamePatterns& patterns) {
    return std::any_of(patterns.cbegin(), patterns.cend(), [name](const NamePattern& pattern) {
        return EndsWithIgnoringAsciiCase(name, pattern.end) && MatchesWildcard(pattern.wildcard, name);
    });
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
    const SortKeys keys(names);
    std::vector<SortRecord> order;
    order.reserve(static_cast<std::size_t>(names.size()));
    for (qsizetype i = 0; i < names.size(); ++i) {
        order.push_back(keys.Record(static_cast<std::uint32_t>(i)));
    }
    std::sort(order.begin(), order.end(), [&names, &keys](const SortRecord& a, const SortRecord& b) {
        if (a.head != b.head || a.next != b.next) {
            return a.head != b.head ? a.head < b.head : a.next < b.next;
        }
        if (a.name == b.name) {
            return false;
        }
        const int rest = keys.Rest(a.name).compare(keys.Rest(b.name));
        return rest != 0 ? rest < 0 : names.at(a.name) < names.at(b.name);
    });
    QStringList sorted;
    sorted.reserve(names.size());
    for (const SortRecord& record : order) {
        sorted.append(std::move(names[record.name]));
    }
    names = std::move(sorted);
}

} // namespace vantrel
