#include "Paths.h"

namespace vantrel {

namespace {

// The path of a URL as the bytes it encodes.
QByteArray PathBytes(const QUrl& url) {
    return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
}

} // namespace

QString JoinPath(const QString& folder, const QString& name, QChar separator) {
    return folder.endsWith(separator) ? folder + name : folder + separator + name;
}

bool IsWithin(const QString& path, const QString& folder) {
    return path.compare(folder, PathCase()) == 0 || path.startsWith(JoinPath(folder, {}), PathCase());
}

QString LocalFileOf(const QUrl& url) {
    if (!url.isLocalFile() || (!url.host().isEmpty() && !UrlHostNamesShare())) {
        return {};
    }
    const QString file = url.toLocalFile();
    return PathBytes(QUrl::fromLocalFile(file)) == PathBytes(url) ? file : QString();
}

} // namespace vantrel
