#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>

class QSocketNotifier;

namespace vantrel {

// A pseudo-terminal for one run of NodeBuilder: NodeBuilder leads a session of its own with the terminal's
// far end as its controlling terminal and standard handles; this end reads what it writes and passes typed
// keys on. Nothing here blocks: reads and writes wait for the descriptor to be ready.
class PseudoTerminal final : public QObject {
    Q_OBJECT

public:
    // How long a hang-up has to end the session before what is left of it is killed.
    static constexpr int kHangUpGraceMs = 3000;

    PseudoTerminal(int columns, int rows, QObject* parent = nullptr);
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;
    // Closing this end hangs up whatever still holds the far end.
    ~PseudoTerminal() override;

    // False when no terminal could be had; Problem() then says why, in words for the user.
    [[nodiscard]] bool IsOpen() const { return m_master >= 0; }
    [[nodiscard]] QString Problem() const { return m_problem; }

    // Run in the child between fork and exec: a new session, this terminal as its controlling terminal and
    // as standard input, output and error, every signal's default action and none blocked. Only
    // async-signal-safe calls.
    [[nodiscard]] std::function<void()> ChildSetup() const;

    // The program `program` runs on the terminal as the process `pid`, leader of its session and group.
    void Attach(qint64 pid, const QString& program);
    // The leader has ended: reads what it wrote last and forgets the session.
    void Detach();
    [[nodiscard]] bool IsRunning() const { return m_session > 0; }

    // Sends bytes as if typed; kept in order and written as the terminal takes them. Dropped when nothing runs.
    void Write(const QByteArray& bytes);

    // The terminal's new size; the kernel tells the program on it (SIGWINCH).
    void Resize(int columns, int rows) const;

    // A hang-up, as when a terminal's window is closed: SIGHUP to the session's process group, then SIGKILL
    // to whatever of it is still there kHangUpGraceMs later.
    void HangUp();
    [[nodiscard]] bool WasHungUp() const { return m_hungUp; }

signals:
    void Started(const QString& program);
    void Received(const QByteArray& bytes);

private:
    // Reads until nothing is left, or for `sliceMs` at most when that is not negative.
    void ReadAvailable(qint64 sliceMs);
    void WritePending();
    void CloseSlave();

    int m_master{-1};
    int m_slave{-1};
    QString m_problem;
    QSocketNotifier* m_reader{};
    QSocketNotifier* m_writer{};
    QByteArray m_pending;
    qint64 m_session{};
    bool m_hungUp{false};
};

} // namespace vantrel
