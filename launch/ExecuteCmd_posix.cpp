#include "ExecuteCmd.h"

#include "PseudoTerminal_posix.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QProcess>

#include <cstring>

namespace vantrel {

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
        process.setChildProcessModifier(terminal->Native().ChildSetup());
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

QString SignalName(int signal) {
    const char* abbreviation = sigabbrev_np(signal);
    return abbreviation != nullptr ? QStringLiteral("%1 (SIG%2)").arg(signal).arg(QString::fromLatin1(abbreviation))
                                   : QString::number(signal);
}

} // namespace vantrel
