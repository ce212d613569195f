#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>

namespace vantrel {

// A terminal for one run of NodeBuilder, which NodeBuilder writes its screen on and reads its keys from; this end
// reads what it writes and passes typed keys on, and nothing here blocks the window's thread for long. POSIX: a
// pseudo-terminal, its far end the controlling terminal and standard handles of a session NodeBuilder leads.
// Windows: a pseudo console, NodeBuilder in a job object of its own. Each platform's unit has its half.
class PseudoTerminal final : public QObject {
    Q_OBJECT

public:
    // How long a hang-up has to end the run before what is left of it is killed.
    static constexpr int kHangUpGraceMs = 3000;

    // What the platform needs to start a program on the terminal; each platform's private header declares it.
    class System;

    PseudoTerminal(int columns, int rows, QObject* parent = nullptr);
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;
    // Closing this end hangs up whatever still holds the far end.
    ~PseudoTerminal() override;

    // Whether the system offers such terminals at all: always on POSIX; on Windows from Windows 10 1809 on.
    [[nodiscard]] static bool Available();

    // False when no terminal could be had; Problem() then says why, in words for the user.
    [[nodiscard]] bool IsOpen() const { return m_problem.isEmpty(); }
    [[nodiscard]] QString Problem() const { return m_problem; }
    [[nodiscard]] System& Native() const { return *m_system; }

    // The program `program` runs on the terminal as the process `pid`.
    void Attach(qint64 pid, const QString& program);
    // That process has ended: reads what was written last and forgets the run.
    void Detach();
    [[nodiscard]] bool IsRunning() const { return m_session > 0; }

    // Sends bytes as if typed, in order. Dropped when nothing runs.
    void Write(const QByteArray& bytes);

    // The terminal's new size, which the program on it is told of.
    void Resize(int columns, int rows) const;

    // A hang-up, as when a terminal's window is closed, then whatever of the run is still there kHangUpGraceMs
    // later is killed. POSIX: SIGHUP to the session's process group, then SIGKILL. Windows: the pseudo console
    // is closed (CTRL_CLOSE_EVENT), then the job is terminated.
    void HangUp();
    [[nodiscard]] bool WasHungUp() const { return m_hungUp; }

signals:
    void Started(const QString& program);
    void Received(const QByteArray& bytes);

private:
    std::unique_ptr<System> m_system;
    QString m_problem;
    qint64 m_session{};
    bool m_hungUp{false};
};

} // namespace vantrel
