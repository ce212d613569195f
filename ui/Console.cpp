#include "Console.h"

#include "MessageBox.h"
#include "PseudoTerminal.h"
#include "TerminalScreen.h"

#include <QCloseEvent>
#include <QDir>
#include <QIcon>
#include <QVBoxLayout>

#include <cstring>

namespace vantrel {

namespace {

// The signal's number and, where the C library knows one, its name ("6 (SIGABRT)").
QString SignalName(int signal) {
    const char* abbreviation = sigabbrev_np(signal);
    return abbreviation != nullptr ? QStringLiteral("%1 (SIG%2)").arg(signal).arg(QString::fromLatin1(abbreviation))
                                   : QString::number(signal);
}

// The file NodeBuilder writes: the composed line always ends with -o and the output path.
QString OutputFile(const QString& commandLine) {
    const QStringList arguments = SplitCommandLine(commandLine);
    const qsizetype count = arguments.size();
    return count >= 2 && arguments.at(count - 2) == u"-o" ? arguments.last() : QString();
}

// How the run ended, for the window's title and for the console's last line.
struct Ending final {
    QString title;
    QString line;
};

Ending EndingOf(const RunOutcome& outcome) {
    switch (outcome.kind) {
    case RunOutcome::Kind::Exited:
        if (outcome.exitStatus == 0) {
            return {QStringLiteral("Finished"), QStringLiteral("NodeBuilder finished.")};
        }
        return {QStringLiteral("Exit status %1").arg(outcome.exitStatus),
                QStringLiteral("NodeBuilder ended with exit status %1.").arg(outcome.exitStatus)};
    case RunOutcome::Kind::Crashed:
        return {QStringLiteral("Ended by signal %1").arg(outcome.signal),
                QStringLiteral("NodeBuilder ended by signal %1.").arg(SignalName(outcome.signal))};
    case RunOutcome::Kind::Stopped:
        return {QStringLiteral("Stopped"), QStringLiteral("NodeBuilder was stopped: its console was closed.")};
    case RunOutcome::Kind::NotStarted:
        break;
    }
    return {};
}

} // namespace

Console::Console(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("Console"));
    setWindowTitle(QStringLiteral("NodeBuilder"));
    setWindowIcon(QIcon(QStringLiteral(":/vantrel.ico")));
    // The main window alone decides when the front end ends; it closes this window as it goes.
    setAttribute(Qt::WA_QuitOnClose, false);
    m_screen = new TerminalScreen(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_screen);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

bool Console::IsRunning() const {
    return m_terminal != nullptr && m_terminal->IsRunning();
}

RunOutcome Console::Run(const QString& commandLine) {
    m_screen->Clear();
    m_closeWhenEnded = false;
    m_commandLine = commandLine;
    PseudoTerminal terminal(TerminalScreen::kColumns, TerminalScreen::kRows);
    connect(&terminal, &PseudoTerminal::Started, this, &Console::ShowStarted);
    connect(&terminal, &PseudoTerminal::Received, m_screen, &TerminalScreen::Feed);
    connect(m_screen, &TerminalScreen::Typed, &terminal, &PseudoTerminal::Write);
    m_terminal = &terminal;
    RunOutcome outcome = RunOnTerminal(commandLine, terminal);
    m_terminal = nullptr;
    if (outcome.kind != RunOutcome::Kind::NotStarted) {
        ShowEnd(outcome);
    }
    if (m_closeWhenEnded) {
        hide();
    }
    return outcome;
}

void Console::ShowStarted(const QString& program) {
    m_program = QDir::toNativeSeparators(program);
    setWindowTitle(m_program);
    show();
    raise();
    activateWindow();
    m_screen->setFocus();
}

void Console::ShowEnd(const RunOutcome& outcome) {
    const Ending ending = EndingOf(outcome);
    setWindowTitle(QStringLiteral("%1 - %2").arg(ending.title, m_program));
    m_screen->AppendNotice(ending.line);
}

void Console::closeEvent(QCloseEvent* event) {
    if (!IsRunning()) {
        event->accept();
        return;
    }
    event->ignore();
    if (m_closeWhenEnded || !AskToStop() || !IsRunning()) {
        return; // already stopping, kept running, or it ended while the question was open
    }
    m_closeWhenEnded = true;
    setWindowTitle(QStringLiteral("Stopping - %1").arg(m_program));
    m_terminal->HangUp();
}

bool Console::AskToStop() {
    const QString output = OutputFile(m_commandLine);
    QString text = QStringLiteral("NodeBuilder is still running. Closing its console stops it, and a NodeBuilder "
                                  "stopped while it writes leaves its output file incomplete");
    if (output.isEmpty()) {
        text += QStringLiteral(".");
    } else {
        text += QStringLiteral(":\n\n%1").arg(QDir::toNativeSeparators(output));
        // "Input File = Output File": the file at stake is the user's own input.
        if (SplitCommandLine(m_commandLine).count(output) > 1) {
            text += QStringLiteral("\n\nThis is also the input file: it would be damaged.");
        }
    }
    text += QStringLiteral("\n\nStop NodeBuilder?");
    return Ask(this, {text, QStringLiteral("Stop NodeBuilder?")});
}

} // namespace vantrel
