#include "ExecuteCmd.h"

#ifndef Q_OS_WIN
#include "PseudoTerminal.h"
#endif

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#ifdef Q_OS_WIN
#include <QWinEventNotifier>
#include <qt_windows.h>
#endif

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
    location.problem = QStringLiteral("%1 was not found.").arg(name);
    return location;
}

#ifndef Q_OS_WIN

namespace {

RunOutcome Run(const QString& commandLine, PseudoTerminal* terminal) {
    QStringList arguments = SplitCommandLine(commandLine);
    RunOutcome outcome;
    outcome.program = arguments.value(0);
    if (arguments.isEmpty()) {
        outcome.reason = QStringLiteral("The command line is empty.");
        return outcome;
    }
    const ProgramLocation location =
        FindProgram(arguments.takeFirst(), QCoreApplication::applicationDirPath(), qEnvironmentVariable("PATH"));
    if (!location.problem.isEmpty()) {
        outcome.reason = location.problem;
        outcome.searched = location.searched;
        return outcome;
    }
    if (terminal != nullptr && !terminal->IsOpen()) {
        outcome.reason = terminal->Problem();
        return outcome;
    }
    if (!location.interpreter.isEmpty()) {
        arguments.prepend(location.path);
    }

    QProcess process;
    process.setProgram(location.interpreter.isEmpty() ? location.path : location.interpreter);
    process.setArguments(arguments);
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.setInputChannelMode(QProcess::ForwardedInputChannel);

    QEventLoop loop;
    if (terminal != nullptr) {
        process.setChildProcessModifier(terminal->ChildSetup());
        QObject::connect(&process, &QProcess::started, terminal,
                         [&process, terminal, &location] { terminal->Attach(process.processId(), location.path); });
    }
    QObject::connect(&process, &QProcess::finished, &loop, [&loop, terminal] {
        if (terminal != nullptr) {
            terminal->Detach();
        }
        loop.quit();
    });
    QObject::connect(&process, &QProcess::errorOccurred, &loop, [&loop](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            loop.quit();
        }
    });
    process.start();
    if (process.state() != QProcess::NotRunning) {
        loop.exec();
    }
    if (process.error() == QProcess::FailedToStart) {
        outcome.reason = QStringLiteral("%1 could not be started: %2")
                             .arg(QDir::toNativeSeparators(location.path), process.errorString());
        return outcome;
    }
    const bool crashed = process.exitStatus() == QProcess::CrashExit;
    // Qt gives the signal's number as the exit code of a crashed process.
    outcome.signal = crashed ? process.exitCode() : 0;
    outcome.exitStatus = crashed ? 0 : process.exitCode();
    outcome.kind = crashed ? RunOutcome::Kind::Crashed : RunOutcome::Kind::Exited;
    if (terminal != nullptr && terminal->WasHungUp()) {
        outcome.kind = RunOutcome::Kind::Stopped;
    }
    return outcome;
}

} // namespace

RunOutcome RunAndWait(const QString& commandLine) {
    return Run(commandLine, nullptr);
}

RunOutcome RunOnTerminal(const QString& commandLine, PseudoTerminal& terminal) {
    return Run(commandLine, &terminal);
}

#else

namespace {

// The system's exit code when a console program's console was closed or Ctrl+C was pressed in it.
constexpr DWORD kControlCExit = 0xC000013AU;
// An exception code (an NTSTATUS) has a severity in its top two bits, then the customer bit, a reserved bit and
// a facility of 12 bits: the system's own exceptions, which end a crashed program (0xC0000005 access violation,
// 0xC00000FD stack overflow, 0xC0000409 a failed stack check, 0x80000003 a breakpoint), have a warning or error
// severity and facility 0. A program's own exit status, -1 (0xFFFFFFFF) and the other small negative ones among
// them, has the customer bit and the facility bits set.
constexpr DWORD kSeverityFailure = 0x80000000U;
constexpr DWORD kCustomerReservedAndFacility = 0x3FFF0000U;

RunOutcome::Kind KindOfExit(DWORD status) {
    if (status == kControlCExit) {
        return RunOutcome::Kind::Stopped;
    }
    const bool exception = (status & kSeverityFailure) != 0 && (status & kCustomerReservedAndFacility) == 0;
    return exception ? RunOutcome::Kind::Crashed : RunOutcome::Kind::Exited;
}

} // namespace

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
    notifier.setEnabled(false); // before the handle it waits on is closed
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    outcome.kind = KindOfExit(status);
    outcome.exitStatus = static_cast<int>(status);
    return outcome;
}

#endif

} // namespace vantrel
