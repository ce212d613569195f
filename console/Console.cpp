#include "Console.h"

#include "MessageBox.h"
#include "OutcomeWords.h"
#include "PseudoTerminal.h"
#include "TerminalScreen.h"

#include <QCloseEvent>
#include <QDir>
#include <QIcon>
#include <QVBoxLayout>

namespace vantrel {

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

RunOutcome Console::Run(const BuildRequest& request) {
    m_screen->Clear();
    m_closeWhenEnded = false;
    m_request = request;
    PseudoTerminal terminal(TerminalScreen::kColumns, TerminalScreen::kRows);
    connect(&terminal, &PseudoTerminal::Started, this, &Console::ShowStarted);
    connect(&terminal, &PseudoTerminal::Received, m_screen, &TerminalScreen::Feed);
    connect(m_screen, &TerminalScreen::Typed, &terminal, &PseudoTerminal::Write);
    m_terminal = &terminal;
    RunOutcome outcome = RunOnTerminal(request.commandLine, terminal);
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
    const OutcomeWords words = WordsFor(outcome);
    setWindowTitle(QStringLiteral("%1 - %2").arg(words.title, m_program));
    m_screen->AppendNotice(words.line);
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
    const QString& output = m_request.outputFile;
    QString text = QStringLiteral("NodeBuilder is still running. Closing its console stops it, and a NodeBuilder "
                                  "stopped while it writes leaves its output file incomplete");
    if (output.isEmpty()) {
        text += QStringLiteral(".");
    } else {
        text += QStringLiteral(":\n\n%1").arg(QDir::toNativeSeparators(output));
        if (m_request.outputIsInput) {
            text += QStringLiteral("\n\nThis is also the input file: it would be damaged.");
        }
    }
    text += QStringLiteral("\n\nStop NodeBuilder?");
    return Ask(this, {text, QStringLiteral("Stop NodeBuilder?")});
}

} // namespace vantrel
