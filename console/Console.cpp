// How a run fits together. The pseudo-terminal's reads go both to the screen, which feeds its terminal model at
// once and shows the change at its next refresh, and to the line announcer, which reads the same model for what
// a screen reader is to hear. What the screen types, and each size it takes, go back to the pseudo-terminal.
// When NodeBuilder has ended, the console writes its own last line into the model as a program would, so that
// line is shown, selected, found, saved and announced as the rest.
#include "Console.h"

#include "AccessibleRoles.h"
#include "FindBar.h"
#include "LineAnnouncer.h"
#include "MessageBox.h"
#include "OutcomeWords.h"
#include "PseudoTerminal.h"
#include "SaveOutput.h"
#include "TerminalScreen.h"
#include "TerminalText.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QIcon>
#include <QPushButton>
#include <QVBoxLayout>

namespace vantrel {

Console::Console(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("Console"));
    setWindowTitle(QStringLiteral("NodeBuilder"));
    setWindowIcon(QIcon(QStringLiteral(":/vantrel.ico")));
    // The main window alone decides when the front end ends; it closes this window as it goes.
    setAttribute(Qt::WA_QuitOnClose, false);
    InstallAccessibleRoles(&staticMetaObject);
    m_screen = new TerminalScreen(this);
    m_screen->setAccessibleName(QStringLiteral("NodeBuilder's output"));
    m_announcer = new LineAnnouncer(m_screen);
    m_findBar = new FindBar(m_screen, this);
    m_findBar->hide();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_screen);
    layout->addWidget(m_findBar);
    layout->addWidget(CreateButtons());
}

// Tab belongs to NodeBuilder, so the keyboard reaches Stop by its underlined letter (Alt+S), and Find and
// Save by shortcuts that a terminal leaves to its window (Ctrl+Shift+F, Ctrl+Shift+S).
QWidget* Console::CreateButtons() {
    auto* find = new QAction(QStringLiteral("&Find…"), m_screen);
    find->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
    connect(find, &QAction::triggered, this, &Console::OpenFind);
    auto* save = new QAction(QStringLiteral("Save &output…"), m_screen);
    save->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    connect(save, &QAction::triggered, this, &Console::SaveOutputAs);
    m_screen->addActions({find, save});

    auto* row = new QWidget(this);
    auto* findButton = new QPushButton(QStringLiteral("Find…"), row);
    findButton->setObjectName(QStringLiteral("ConsoleFind"));
    findButton->setToolTip(
        QStringLiteral("Find in the output (%1)").arg(find->shortcut().toString(QKeySequence::NativeText)));
    connect(findButton, &QPushButton::clicked, find, &QAction::trigger);
    auto* saveButton = new QPushButton(QStringLiteral("Save output…"), row);
    saveButton->setObjectName(QStringLiteral("ConsoleSave"));
    saveButton->setToolTip(
        QStringLiteral("Save the output as a text file (%1)").arg(save->shortcut().toString(QKeySequence::NativeText)));
    connect(saveButton, &QPushButton::clicked, save, &QAction::trigger);
    m_stop = new QPushButton(QStringLiteral("&Stop"), row);
    m_stop->setObjectName(QStringLiteral("ConsoleStop"));
    m_stop->setToolTip(QStringLiteral("Stop NodeBuilder (Alt+S)"));
    m_stop->setEnabled(false);
    connect(m_stop, &QPushButton::clicked, this, &Console::Stop);
    auto* layout = new QHBoxLayout(row);
    layout->addWidget(findButton);
    layout->addWidget(saveButton);
    layout->addStretch(1);
    layout->addWidget(m_stop);
    return row;
}

bool Console::IsRunning() const {
    return m_terminal != nullptr && m_terminal->IsRunning();
}

RunOutcome Console::Run(const BuildRequest& request) {
    m_screen->Clear();
    m_announcer->Restart();
    m_stopping = false;
    m_closeWhenEnded = false;
    m_request = request;
    // A run starts at the size the console has now, and follows it as the window is resized.
    PseudoTerminal terminal(m_screen->Model().Columns(), m_screen->Model().Rows());
    connect(&terminal, &PseudoTerminal::Started, this, &Console::ShowStarted);
    connect(&terminal, &PseudoTerminal::Received, m_screen, &TerminalScreen::Feed);
    connect(&terminal, &PseudoTerminal::Received, m_announcer, &LineAnnouncer::Heard);
    connect(m_screen, &TerminalScreen::Typed, &terminal, &PseudoTerminal::Write);
    connect(m_screen, &TerminalScreen::Resized, &terminal, &PseudoTerminal::Resize);
    m_terminal = &terminal;
    RunOutcome outcome = RunOnTerminal(request.commandLine, terminal);
    m_terminal = nullptr;
    m_stop->setEnabled(false);
    if (outcome.kind != RunOutcome::Kind::NotStarted) {
        ShowEnd(outcome);
    }
    if (m_closeWhenEnded) {
        hide();
    }
    return outcome;
}

void Console::Stop() {
    if (IsRunning()) {
        StartStopping(StopBy::StopButton);
    }
    m_screen->setFocus();
}

void Console::SaveOutputAs() {
    const QString text = m_screen->Text();
    SaveOutput(this, text.isEmpty() ? text : text + u'\n', SuggestedSaveName());
}

void Console::OpenFind() {
    m_findBar->Open();
}

void Console::ShowStarted(const QString& program) {
    m_program = QDir::toNativeSeparators(program);
    setWindowTitle(m_program);
    m_stop->setEnabled(true);
    show();
    raise();
    activateWindow();
    m_screen->setFocus();
}

void Console::ShowEnd(const RunOutcome& outcome) {
    const OutcomeWords words = WordsFor(outcome);
    setWindowTitle(QStringLiteral("%1 - %2").arg(words.title, m_program));
    WriteEndLine(words.line);
    m_announcer->Flush();
}

void Console::WriteEndLine(const QString& text) {
    // A soft reset first, so whatever modes NodeBuilder left (colours, origin, a scroll region, the alternate
    // screen) do not change the console's own line. That line goes below NodeBuilder's last one, wherever the
    // cursor was left: a bare carriage return leaves it at the start of that last line.
    m_screen->Feed("\x1b[!p");
    const TerminalModel& model = m_screen->Model();
    const auto rows =
        static_cast<int>(TextLineCount(model, model.ScrollbackSize(), static_cast<std::size_t>(model.Rows())));
    QByteArray bytes = rows == 0 ? QByteArray("\x1b[H") : "\x1b[" + QByteArray::number(rows) + ";1H\r\n";
    bytes += "\x1b[7m" + text.toUtf8() + "\x1b[0m\x1b[?25l";
    m_screen->Feed(bytes);
    m_screen->Refresh();
}

void Console::closeEvent(QCloseEvent* event) {
    if (!IsRunning()) {
        event->accept();
        return;
    }
    event->ignore();
    if (StartStopping(StopBy::Closing)) {
        m_closeWhenEnded = true;
    }
}

bool Console::StartStopping(StopBy by) {
    if (m_stopping) {
        return true;
    }
    if (!AskToStop(by) || !IsRunning()) {
        return false; // kept running, or it ended while the question was open
    }
    m_stopping = true;
    m_stop->setEnabled(false);
    setWindowTitle(QStringLiteral("Stopping - %1").arg(m_program));
    m_terminal->HangUp();
    return true;
}

bool Console::AskToStop(StopBy by) {
    const QString& output = m_request.outputFile;
    QString text = by == StopBy::Closing
                       ? QStringLiteral("NodeBuilder is still running. Closing its console stops it, and a "
                                        "NodeBuilder stopped while it writes leaves its output file incomplete")
                       : QStringLiteral("NodeBuilder is still running. A NodeBuilder stopped while it writes leaves "
                                        "its output file incomplete");
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

QString Console::SuggestedSaveName() const {
    if (m_request.outputFile.isEmpty()) {
        return QDir::current().absoluteFilePath(QStringLiteral("nodebuilder.txt"));
    }
    const QFileInfo output(m_request.outputFile);
    return output.absoluteDir().absoluteFilePath(output.completeBaseName() + QStringLiteral("-nodebuilder.txt"));
}

} // namespace vantrel
