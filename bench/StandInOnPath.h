#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

// Puts the stand-in NodeBuilder named on a benchmark's command line first on PATH as "vantrel", recording
// nothing, so the front end finds it as it would find NodeBuilder. Returns where it was put.
inline QString PutStandInOnPath(const QTemporaryDir& folder, const char* standIn) {
    QString program = folder.filePath(QStringLiteral("vantrel"));
    QFile::copy(QString::fromLocal8Bit(standIn), program);
    QFile::setPermissions(program, QFile::permissions(program) | QFile::ExeOwner);
    qputenv("PATH", (folder.path() + QDir::listSeparator()).toLocal8Bit() + qgetenv("PATH"));
    qunsetenv("VANTREL_STANDIN_LOG");
    return program;
}
