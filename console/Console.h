#pragma once

#include "ExecuteCmd.h"

#include <QString>
#include <QWidget>

class QPushButton;

namespace vantrel {

class FindBar;
class LineAnnouncer;
class PseudoTerminal;
class TerminalScreen;

// NodeBuilder's console: a window of its own that runs NodeBuilder on a pseudo-terminal and shows what it
// writes, as a console window does on Windows. It stays open after the run and tells how the run ended;
// the next run clears it. Its Stop button, or closing it, during a run asks, then hangs NodeBuilder up.
// Its output can be saved and searched, and a screen reader hears the new lines as they come.
class Console final : public QWidget {
    Q_OBJECT

public:
    explicit Console(QWidget* parent = nullptr);

    // Runs the command line on a new terminal and returns once NodeBuilder has ended. The window shows only
    // once NodeBuilder has started.
    RunOutcome Run(const BuildRequest& request);

    [[nodiscard]] TerminalScreen* Screen() const { return m_screen; }
    [[nodiscard]] bool IsRunning() const;

    // What closing does during a run, but the console stays open: asks, then hangs NodeBuilder up.
    void Stop();
    // Asks for a file and writes the scrollback and the screen to it as text.
    void SaveOutputAs();
    void OpenFind();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    enum class StopBy { StopButton, Closing };

    QWidget* CreateButtons();
    void ShowStarted(const QString& program);
    void ShowEnd(const RunOutcome& outcome);
    // Writes a line of the console's own below what NodeBuilder wrote, and hides the cursor.
    void WriteEndLine(const QString& text);
    // Asks, then hangs NodeBuilder up; true once it is being stopped, by this or an earlier request.
    bool StartStopping(StopBy by);
    [[nodiscard]] bool AskToStop(StopBy by);
    [[nodiscard]] QString SuggestedSaveName() const;

    TerminalScreen* m_screen{};
    FindBar* m_findBar{};
    LineAnnouncer* m_announcer{};
    QPushButton* m_stop{};
    PseudoTerminal* m_terminal{}; // the running terminal, only during Run
    QString m_program;
    BuildRequest m_request;
    bool m_stopping{false};
    bool m_closeWhenEnded{false};
};

} // namespace vantrel
