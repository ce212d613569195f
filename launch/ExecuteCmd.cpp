#include "ExecuteCmd.h"

#include "OutcomeWords.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace vantrel {

namespace {

QStringList CandidateNames(const QString& name) {
    QStringList names{name};
    const QString exe = QStringLiteral(".exe");
    if (name.endsWith(exe, Qt::CaseInsensitive) && name.size() > exe.size()) {
        names << name.left(name.size() - exe.size());
    }
    return names;
}

bool IsWindowsProgram(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(2) == "MZ";
}

} // namespace

QStringList SplitCommandLine(const QString& commandLine) {
    QStringList arguments;
    QString current;
    bool inQuotes = false;
    bool inArgument = false;
    for (const QChar c : commandLine) {
        if (c == u'"') {
            inQuotes = !inQuotes;
            inArgument = true;
        } else if (c == u' ' && !inQuotes) {
            if (inArgument) {
                arguments << current;
                current.clear();
                inArgument = false;
            }
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (inArgument) {
        arguments << current;
    }
    return arguments;
}

ProgramLocation FindProgram(const QString& name, const QString& ownFolder, const QString& pathVariable) {
    ProgramLocation location;
    QStringList folders{ownFolder};
    for (const QString& folder : pathVariable.split(QDir::listSeparator(), Qt::SkipEmptyParts)) {
        folders << folder;
    }
    for (const QString& folder : folders) {
        location.searched << QDir::toNativeSeparators(folder);
        for (const QString& candidate : CandidateNames(name)) {
            const QFileInfo info(QDir(folder).filePath(candidate));
            if (!info.isFile()) {
                continue;
            }
            const bool windowsProgram = IsWindowsProgram(info.filePath());
            if (!windowsProgram && !info.isExecutable()) {
                continue;
            }
            location.path = info.absoluteFilePath();
            if (windowsProgram) {
                location.interpreter = QStandardPaths::findExecutable(
                    QStringLiteral("wine"), pathVariable.split(QDir::listSeparator(), Qt::SkipEmptyParts));
                if (location.interpreter.isEmpty()) {
                    location.problem = QStringLiteral("%1 is a Windows program, and wine, which would run it, "
                                                      "was not found on PATH.")
                                           .arg(QDir::toNativeSeparators(location.path));
                }
            }
            return location;
        }
    }
    location.problem = NotFoundReason(name);
    return location;
}

} // namespace vantrel
