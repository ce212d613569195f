#pragma once

#include <QString>
#include <QStringList>

namespace vantrel {

// One build as the main window hands it on: the command line it composed, and the file that NodeBuilder writes.
struct BuildRequest final {
    QString commandLine{};
    QString outputFile{};
    bool outputIsInput{}; // the output file is the input file ("Input File = Output File"), the user's own WAD
};

// How one run of NodeBuilder ended.
struct RunOutcome final {
    // Stopped: ended after its console hung it up (its Stop button, or closing it); on Windows, after its
    // console window was closed or Ctrl+C was pressed in it.
    enum class Kind { Exited, Crashed, NotStarted, Stopped };
    Kind kind{Kind::NotStarted};
    int exitStatus{};     // Exited: the program's exit status
    int signal{};         // Crashed, Stopped: the signal that ended it; 0 when none did or it is not known
    QString program;      // the name the command line asked for
    QString reason;       // NotStarted: why, in words for the user
    QStringList searched; // NotStarted: the folders that were searched
};

// Where a program named on a command line was found, and how to start it.
struct ProgramLocation final {
    QString path;         // the file that was found; empty when none was
    QString interpreter;  // wine, for a Windows program; empty otherwise
    QStringList searched; // every folder that was looked in, in order
    QString problem;      // why it cannot be started; empty when it can
};

// Splits a command line into arguments: blanks separate them, a double-quoted stretch is part of
// one argument with its quotes removed, nothing else is special.
QStringList SplitCommandLine(const QString& commandLine);

// Looks for `name` first in `ownFolder`, then in each folder of `pathVariable`; in each folder the name
// as written, then without ".exe". A Windows program found there is started through wine from PATH.
ProgramLocation FindProgram(const QString& name, const QString& ownFolder, const QString& pathVariable);

// Starts the program that the command line names, with the front end's environment, current folder and
// standard handles, and returns once it has ended. Events keep flowing meanwhile so windows repaint;
// keeping input away from them during the run is the caller's job.
RunOutcome RunAndWait(const QString& commandLine);

class PseudoTerminal;

// As RunAndWait, but the program runs on `terminal`: POSIX, as the leader of a session of its own; Windows, on
// its pseudo console, in its job. A hang-up of the terminal during the run makes the outcome Stopped.
RunOutcome RunOnTerminal(const QString& commandLine, PseudoTerminal& terminal);

// A signal's number and, where the system knows one, its name ("6 (SIGABRT)").
QString SignalName(int signal);

} // namespace vantrel
