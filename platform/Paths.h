#pragma once

#include <QString>
#include <QUrl>

namespace vantrel {

// How this platform's file system compares names: Windows ignores letter case, POSIX systems do not.
Qt::CaseSensitivity PathCase();

// Whether a file URL that names a host ("file://server/maps/e1.wad") names a file here: Windows reads it as a
// share; a POSIX system would read it as "/server/maps/e1.wad", another file.
bool UrlHostNamesShare();

// The folder, then `separator` unless the folder already ends in one, then the name.
QString JoinPath(const QString& folder, const QString& name, QChar separator = u'/');

// Whether path is folder itself or lies somewhere below it; both with "/" separators.
bool IsWithin(const QString& path, const QString& folder);

// The local file a URL names, or empty when it names none that this platform opens as the same file: a path
// that is not valid UTF-8 decodes to replacement characters, which would reach NodeBuilder as another file.
QString LocalFileOf(const QUrl& url);

} // namespace vantrel
