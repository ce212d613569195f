#pragma once

#include "ExecuteCmd.h"

#include <QString>
#include <QWidget>

namespace vantrel {

class PseudoTerminal;
class TerminalScreen;

// NodeBuilder's console: a window of its own that runs NodeBuilder on a pseudo-terminal and shows what it
// writes, as a console window does on Windows. It stays open after the run and tells how the run ended;
// the next run clears it. Closing it during a run asks, then hangs NodeBuilder up.
class Console final : public QWidget {
    Q_OBJECT

public:
    explicit Console(QWidget* parent = nullptr);

    // Runs the command line on a new terminal and returns once NodeBuilder has ended. The window shows only
    // once NodeBuilder has started.
    RunOutcome Run(const BuildRequest& request);

    [[nodiscard]] TerminalScreen* Screen() const { return m_screen; }
    [[nodiscard]] bool IsRunning() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void ShowStarted(const QString& program);
    void ShowEnd(const RunOutcome& outcome);
    [[nodiscard]] bool AskToStop();

    TerminalScreen* m_screen{};
    PseudoTerminal* m_terminal{}; // the running terminal, only during Run
    QString m_program;
    BuildRequest m_request;
    bool m_closeWhenEnded{false};
};

} // namespace vantrel
