#include "ExecuteCmd.h"

#include "OutcomeWords.h"
#include "PseudoTerminal_win.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QWinEventNotifier>

#include <qt_windows.h>

#include <string>

namespace vantrel {

namespace {

// An exception code (an NTSTATUS) has a severity in its top two bits, then the customer bit, a reserved bit and
// a facility of 12 bits: the system's own exceptions, which end a crashed program (0xC0000005 access violation,
// 0xC00000FD stack overflow, 0xC0000409 a failed stack check, 0x80000003 a breakpoint), have a warning or error
// severity and facility 0. A program's own exit status, -1 (0xFFFFFFFF) and the other small negative ones among
// them, has the customer bit and the facility bits set.
constexpr DWORD kSeverityFailure = 0x80000000U;
constexpr DWORD kCustomerReservedAndFacility = 0x3FFF0000U;

RunOutcome::Kind KindOfExit(DWORD status) {
    // The system's exit code when a console program's console was closed or Ctrl+C was pressed in it.
    if (status == STATUS_CONTROL_C_EXIT) {
        return RunOutcome::Kind::Stopped;
    }
    const bool exception = (status & kSeverityFailure) != 0 && (status & kCustomerReservedAndFacility) == 0;
    return exception ? RunOutcome::Kind::Crashed : RunOutcome::Kind::Exited;
}

// What the system said when it did not start the program, in the front end's words.
RunOutcome NotStarted(RunOutcome outcome, DWORD error) {
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
        outcome.reason = NotFoundReason(outcome.program);
        // Where the system looked, in its order.
        outcome.searched << QDir::toNativeSeparators(QCoreApplication::applicationDirPath())
                         << QDir::toNativeSeparators(QDir::currentPath())
                         << QStringLiteral("the Windows system folders");
        for (const QString& folder : qEnvironmentVariable("PATH").split(QDir::listSeparator(), Qt::SkipEmptyParts)) {
            outcome.searched << QDir::toNativeSeparators(folder);
        }
    } else {
        outcome.reason = QStringLiteral("%1 could not be started: %2 (system error %3)")
                             .arg(outcome.program, qt_error_string(static_cast<int>(error)).trimmed())
                             .arg(error);
    }
    return outcome;
}

// The file the system started, as the console's title names it.
QString ImagePath(HANDLE process) {
    std::wstring path(MAX_PATH, L'\0');
    auto size = static_cast<DWORD>(path.size());
    while (!QueryFullProcessImageNameW(process, 0, path.data(), &size)) {
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
            return {};
        }
        path.resize(path.size() * 2);
        size = static_cast<DWORD>(path.size());
    }
    return QString::fromWCharArray(path.data(), static_cast<qsizetype>(size));
}

// Waits, the events flowing, for the started program to end; then `terminal`, when there is one, reads its last
// output. How it ended goes into `outcome`.
RunOutcome Finish(RunOutcome outcome, PROCESS_INFORMATION& info, PseudoTerminal* terminal) {
    QEventLoop loop;
    QWinEventNotifier notifier(info.hProcess);
    QObject::connect(&notifier, &QWinEventNotifier::activated, &loop, &QEventLoop::quit);
    if (WaitForSingleObject(info.hProcess, 0) != WAIT_OBJECT_0) {
        loop.exec();
    }
    notifier.setEnabled(false); // before the handle it waits on is closed
    if (terminal != nullptr) {
        terminal->Detach();
    }
    DWORD status = 0;
    GetExitCodeProcess(info.hProcess, &status);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    outcome.kind = KindOfExit(status);
    outcome.exitStatus = static_cast<int>(status);
    if (terminal != nullptr && terminal->WasHungUp()) {
        outcome.kind = RunOutcome::Kind::Stopped;
    }
    return outcome;
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
        return NotStarted(outcome, GetLastError());
    }
    return Finish(outcome, info, nullptr);
}

RunOutcome RunOnTerminal(const QString& commandLine, PseudoTerminal& terminal) {
    RunOutcome outcome;
    outcome.program = SplitCommandLine(commandLine).value(0);
    if (!terminal.IsOpen()) {
        outcome.reason = terminal.Problem();
        return outcome;
    }
    PROCESS_INFORMATION info{};
    std::wstring line = commandLine.toStdWString();
    if (!terminal.Native().Start(line, info)) {
        return NotStarted(outcome, GetLastError());
    }
    terminal.Attach(info.dwProcessId, ImagePath(info.hProcess));
    return Finish(outcome, info, &terminal);
}

QString SignalName(int signal) {
    return QString::number(signal); // a Windows program ends by an exception code, never a signal
}

} // namespace vantrel
