#include "ExecuteCmd.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QWinEventNotifier>

#include <qt_windows.h>

#include <string>

namespace vantrel {

// Windows: the line goes to the system as it stands; the system finds the program and splits the line.
RunOutcome RunAndWait(const QString& commandLine) {
    RunOutcome outcome;
    outcome.program = SplitCommandLine(commandLine).value(0);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    std::wstring line = commandLine.toStdWString();
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup,
                        &info)) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            outcome.reason = QStringLiteral("%1 was not found.").arg(outcome.program);
            // Where the system looked, in its order.
            outcome.searched << QDir::toNativeSeparators(QCoreApplication::applicationDirPath())
                             << QDir::toNativeSeparators(QDir::currentPath())
                             << QStringLiteral("the Windows system folders");
            for (const QString& folder :
                 qEnvironmentVariable("PATH").split(QDir::listSeparator(), Qt::SkipEmptyParts)) {
                outcome.searched << QDir::toNativeSeparators(folder);
            }
        } else {
            outcome.reason = QStringLiteral("%1 could not be started: %2 (system error %3)")
                                 .arg(outcome.program, qt_error_string(static_cast<int>(error)).trimmed())
                                 .arg(error);
        }
        return outcome;
    }
    QEventLoop loop;
    QWinEventNotifier notifier(info.hProcess);
    QObject::connect(&notifier, &QWinEventNotifier::activated, &loop, &QEventLoop::quit);
    if (WaitForSingleObject(info.hProcess, 0) != WAIT_OBJECT_0) {
        loop.exec();
    }
    DWORD status = 0;
    GetExitCodeProcess(info.hProcess, &status);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    // Exception codes (0xC0000005 and kin) are how a crashed Windows program ends.
    outcome.kind = (status & 0xC0000000U) == 0xC0000000U ? RunOutcome::Kind::Crashed : RunOutcome::Kind::Exited;
    outcome.exitStatus = static_cast<int>(status);
    return outcome;
}

QString SignalName(int signal) {
    return QString::number(signal); // a Windows program ends by an exception code, never a signal
}

} // namespace vantrel
