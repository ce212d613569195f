#include "PseudoTerminal_posix.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace vantrel {

namespace {

// One notifier call reads for at most this long (what reads it shows it at once), so a builder that floods
// the terminal leaves the event loop time to repaint the windows.
constexpr qint64 kReadSliceMs = 8;
// Keys typed while the builder reads nothing wait here, up to this much; a terminal would stop taking them.
constexpr qsizetype kPendingLimit = qsizetype{64} * 1024;
// Enough for any pseudo-terminal's name ("/dev/pts/N").
constexpr std::size_t kNameSize = 128;
// A pseudo-terminal hands out at most a few KiB a read; this takes whatever one read can give.
constexpr std::size_t kReadSize = std::size_t{16} * 1024;

QString SystemProblem(const char* what) {
    return QStringLiteral("No pseudo-terminal could be opened for NodeBuilder (%1: %2).")
        .arg(QString::fromLatin1(what), QString::fromLocal8Bit(std::strerror(errno)));
}

} // namespace

PseudoTerminal::System::System(PseudoTerminal& owner, int columns, int rows) : m_owner(owner) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0) {
        m_problem = SystemProblem("posix_openpt");
        return;
    }
    std::array<char, kNameSize> name{};
    if (grantpt(master) != 0 || unlockpt(master) != 0 || ptsname_r(master, name.data(), name.size()) != 0) {
        m_problem = SystemProblem("unlockpt");
        ::close(master);
        return;
    }
    m_slave = ::open(name.data(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_slave < 0) {
        m_problem = SystemProblem(name.data());
        ::close(master);
        return;
    }
    // The console reads UTF-8, and in this mode the terminal's line editing takes a character back whole.
    termios modes{};
    if (::tcgetattr(m_slave, &modes) == 0) {
        modes.c_iflag |= IUTF8;
        ::tcsetattr(m_slave, TCSANOW, &modes);
    }
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    m_master = master;
    Resize(columns, rows);

    m_reader = new QSocketNotifier(m_master, QSocketNotifier::Read, &owner);
    QObject::connect(m_reader, &QSocketNotifier::activated, &owner, [this] { ReadAvailable(kReadSliceMs); });
    m_writer = new QSocketNotifier(m_master, QSocketNotifier::Write, &owner);
    m_writer->setEnabled(false);
    QObject::connect(m_writer, &QSocketNotifier::activated, &owner, [this] { WritePending(); });
}

PseudoTerminal::System::~System() {
    CloseSlave();
    if (m_master >= 0) {
        ::close(m_master);
    }
}

std::function<void()> PseudoTerminal::System::ChildSetup() const {
    const int slave = m_slave;
    return [slave] {
        // The child is no group leader yet, so setsid cannot fail; without a controlling terminal the
        // program still runs with the terminal as its handles, only a hang-up would not reach it by itself.
        ::setsid();
        ::ioctl(slave, TIOCSCTTY, 0);
        for (const int handle : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
            ::dup2(slave, handle);
        }
        // NodeBuilder starts as a program started from a shell in a terminal does: no signal ignored or
        // blocked because the front end's own parent had it so (a script's `&` ignores SIGINT and SIGQUIT,
        // which would leave Ctrl+C in the console without effect).
        for (int signal = 1; signal < NSIG; ++signal) {
            struct sigaction action {};
            if (::sigaction(signal, nullptr, &action) == 0 && action.sa_handler == SIG_IGN) {
                action.sa_handler = SIG_DFL;
                ::sigaction(signal, &action, nullptr);
            }
        }
        sigset_t none;
        ::sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
    };
}

PseudoTerminal::PseudoTerminal(int columns, int rows, QObject* parent)
    : QObject(parent), m_system(std::make_unique<System>(*this, columns, rows)), m_problem(m_system->Problem()) {}

PseudoTerminal::~PseudoTerminal() = default;

bool PseudoTerminal::Available() {
    return true;
}

void PseudoTerminal::Attach(qint64 pid, const QString& program) {
    m_session = pid;
    m_system->CloseSlave();
    emit Started(program);
}

void PseudoTerminal::Detach() {
    // A read that finds nothing waits for the kernel to pass on what is in flight, so this gets the last words.
    m_system->ReadAvailable(-1);
    m_session = 0;
    m_system->Forget();
}

void PseudoTerminal::Write(const QByteArray& bytes) {
    if (IsRunning()) {
        m_system->Write(bytes);
    }
}

void PseudoTerminal::Resize(int columns, int rows) const {
    m_system->Resize(columns, rows);
}

void PseudoTerminal::System::Forget() {
    m_pending.clear();
    if (m_writer != nullptr) {
        m_writer->setEnabled(false);
    }
}

void PseudoTerminal::System::Write(const QByteArray& bytes) {
    if (m_master < 0) {
        return;
    }
    m_pending.append(bytes.left(kPendingLimit - m_pending.size()));
    WritePending();
}

void PseudoTerminal::System::Resize(int columns, int rows) const {
    if (m_master < 0) {
        return;
    }
    winsize size{};
    size.ws_col = static_cast<unsigned short>(std::clamp(columns, 1, USHRT_MAX));
    size.ws_row = static_cast<unsigned short>(std::clamp(rows, 1, USHRT_MAX));
    ::ioctl(m_master, TIOCSWINSZ, &size);
}

void PseudoTerminal::HangUp() {
    if (!IsRunning()) {
        return;
    }
    m_hungUp = true;
    const auto group = static_cast<pid_t>(m_session);
    ::kill(-group, SIGHUP);
    ::kill(-group, SIGCONT); // a stopped process would only see the hang-up once it runs again
    // The group id stays reserved while any member lives, so this reaches only what is left of this run.
    QTimer::singleShot(kHangUpGraceMs, QCoreApplication::instance(), [group] {
        if (::kill(-group, 0) == 0) {
            ::kill(-group, SIGKILL);
        }
    });
}

void PseudoTerminal::System::ReadAvailable(qint64 sliceMs) {
    if (m_master < 0) {
        return;
    }
    std::array<char, kReadSize> buffer; // filled by read before use; clearing it would cost each call
    QElapsedTimer slice;
    slice.start();
    while (sliceMs < 0 || !slice.hasExpired(sliceMs)) {
        const ssize_t count = ::read(m_master, buffer.data(), buffer.size());
        if (count > 0) {
            emit m_owner.Received(QByteArray(buffer.data(), count));
            continue;
        }
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count == 0 || errno != EAGAIN) {
            // EIO: nobody holds the far end any more; the descriptor would report ready for ever.
            m_reader->setEnabled(false);
        }
        return;
    }
}

void PseudoTerminal::System::WritePending() {
    while (!m_pending.isEmpty()) {
        const ssize_t count = ::write(m_master, m_pending.constData(), static_cast<size_t>(m_pending.size()));
        if (count > 0) {
            m_pending.remove(0, count);
        } else if (count < 0 && errno == EINTR) {
            continue;
        } else {
            if (count < 0 && errno != EAGAIN) {
                m_pending.clear(); // the terminal is gone; nothing will take these keys
            }
            break;
        }
    }
    m_writer->setEnabled(!m_pending.isEmpty());
}

void PseudoTerminal::System::CloseSlave() {
    if (m_slave >= 0) {
        ::close(m_slave);
        m_slave = -1;
    }
}

} // namespace vantrel
