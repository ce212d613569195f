#pragma once

#include "PseudoTerminal.h"

#include <QByteArray>
#include <QString>

#include <functional>

class QSocketNotifier;

namespace vantrel {

// The pseudo-terminal's own side: its two ends, and what the child does with the far one. Nothing here blocks:
// reads and writes wait for the descriptor to be ready.
class PseudoTerminal::System final {
public:
    System(PseudoTerminal& owner, int columns, int rows);
    System(const System&) = delete;
    System& operator=(const System&) = delete;
    ~System();

    [[nodiscard]] QString Problem() const { return m_problem; }

    // Run in the child between fork and exec: a new session, this terminal as its controlling terminal and
    // as standard input, output and error, every signal's default action and none blocked. Only
    // async-signal-safe calls.
    [[nodiscard]] std::function<void()> ChildSetup() const;

    // Only the session holds the far end now, so a read that fails with EIO means all of it has let go.
    void CloseSlave();
    // Reads until nothing is left, or for `sliceMs` at most when that is not negative.
    void ReadAvailable(qint64 sliceMs);
    // Keys are kept in order and written as the terminal takes them.
    void Write(const QByteArray& bytes);
    void Forget();
    void Resize(int columns, int rows) const;

private:
    void WritePending();

    PseudoTerminal& m_owner;
    int m_master{-1};
    int m_slave{-1};
    QString m_problem;
    QSocketNotifier* m_reader{};
    QSocketNotifier* m_writer{};
    QByteArray m_pending;
};

} // namespace vantrel
