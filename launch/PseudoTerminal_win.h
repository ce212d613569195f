#pragma once

#include "PseudoTerminal.h"

#include <QByteArray>
#include <QMutex>
#include <QString>

#include <qt_windows.h>

#include <string>
#include <thread>

namespace vantrel {

// The pseudo console's own side: the console, the pipes of its input and output, the job NodeBuilder runs in,
// and the thread that reads the output (an anonymous pipe cannot be waited on by the event loop). What that
// thread reads reaches the window's thread in order, as the owner's Received.
class PseudoTerminal::System final {
public:
    System(PseudoTerminal& owner, int columns, int rows);
    System(const System&) = delete;
    System& operator=(const System&) = delete;
    // Closes the console and reads its output to the end; closing the job ends whatever of the run is left.
    ~System();

    [[nodiscard]] QString Problem() const { return m_problem; }

    // Starts the command line, as it stands, on the console and in the job; false, with the system's error in
    // GetLastError, when it could not.
    bool Start(std::wstring& commandLine, PROCESS_INFORMATION& info);
    void Write(const QByteArray& bytes) const;
    void Resize(int columns, int rows) const;
    // Closes the console once: what runs on it gets CTRL_CLOSE_EVENT, and the output pipe then reaches its end.
    void Close();
    // Waits for the reader to reach the end of the output, then hands on what it read last.
    void Drain();
    void TerminateJob() const;

private:
    void Read();
    void Deliver();

    PseudoTerminal& m_owner;
    QString m_problem;
    void* m_console{}; // the HPCON
    HANDLE m_input{};  // the write end of the console's input
    HANDLE m_output{}; // the read end of its output
    HANDLE m_job{};
    std::thread m_reader;
    QMutex m_lock; // guards the two below
    QByteArray m_received;
    bool m_deliveryPosted{false};
};

} // namespace vantrel
