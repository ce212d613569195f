// NodeBuilder's console under a flood: the stand-in NodeBuilder writes BYTES of numbered lines, shown by the
// console until the run has ended, against the same program's same bytes read from a pseudo-terminal by a
// bare read loop. Prints one line per round, the two interleaved: "<ours ms> <baseline ms> <repaints per s>
// <resident MiB> <resident MiB before>": how often the console's screen was painted while the output streamed,
// and the process's resident memory after the round against that before the first run, which shows the
// scrollback's bound.
//   bench_console STANDIN ROUNDS [BYTES]
#include "Console.h"
#include "StandIn.h"
#include "TerminalScreen.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include <fcntl.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

double ResidentMiB() {
    long pages = 0;
    long resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) {
            resident = 0;
        }
        std::fclose(statm);
    }
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

double Milliseconds(Clock::time_point from) {
    return std::chrono::duration<double, std::milli>(Clock::now() - from).count();
}

// Counts the paints of one widget.
class PaintCounter final : public QObject {
public:
    int paints{};

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++paints;
        }
        return QObject::eventFilter(watched, event);
    }
};

// The floor: the program on a pseudo-terminal of the console's size, its output read and dropped.
double BareReadLoop(const QByteArray& program) {
    const auto start = Clock::now();
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    grantpt(master);
    unlockpt(master);
    winsize size{};
    size.ws_col = vantrel::TerminalScreen::kColumns;
    size.ws_row = vantrel::TerminalScreen::kRows;
    ioctl(master, TIOCSWINSZ, &size);
    const int slave = open(ptsname(master), O_RDWR | O_NOCTTY | O_CLOEXEC);
    posix_spawn_file_actions_t actions{};
    posix_spawn_file_actions_init(&actions);
    for (const int handle : {0, 1, 2}) {
        posix_spawn_file_actions_adddup2(&actions, slave, handle);
    }
    posix_spawnattr_t attributes{};
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    std::array<char*, 2> arguments{const_cast<char*>(program.constData()), nullptr};
    pid_t child = 0;
    posix_spawn(&child, program.constData(), &actions, &attributes, arguments.data(), environ);
    close(slave);
    constexpr std::size_t kReadSize = std::size_t{64} * 1024;
    std::array<char, kReadSize> buffer{};
    while (true) {
        const ssize_t count = read(master, buffer.data(), buffer.size());
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            break; // EIO: the program has let go of the terminal
        }
    }
    int status = 0;
    waitpid(child, &status, 0);
    close(master);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    return Milliseconds(start);
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_console STANDIN ROUNDS [BYTES]\n");
        return 64;
    }
    const StandIn standIn(QStringLiteral("vantrel"), QString::fromLocal8Bit(argv[1]));
    const PathPrefix onPath(standIn.Folder());
    const QString program = standIn.Path();
    qputenv("VANTREL_STANDIN_FLOOD", argc > 3 ? QByteArray(argv[3]) : QByteArray("10000000"));

    vantrel::Console console;
    PaintCounter counter;
    console.Screen()->viewport()->installEventFilter(&counter);
    const QString line = QStringLiteral(R"(vantrel.exe "/maps/e1.wad" E1M1 -o "/maps/e1_vtl.wad")");
    const int rounds = std::atoi(argv[2]);
    // The window drawn once before, so its fonts and buffers count on both sides.
    console.show();
    if (!QTest::qWaitForWindowExposed(&console)) {
        std::fprintf(stderr, "the console window was not shown\n");
        return 1;
    }
    QApplication::processEvents();
    const double residentBefore = ResidentMiB();
    for (int round = 0; round < rounds; ++round) {
        counter.paints = 0;
        auto start = Clock::now();
        console.Run({line});
        const double ours = Milliseconds(start);
        const double perSecond = counter.paints * 1000.0 / ours;
        const double baseline = BareReadLoop(program.toLocal8Bit());
        std::printf("%.3f %.3f %.1f %.2f %.2f\n", ours, baseline, perSecond, ResidentMiB(), residentBefore);
        std::fflush(stdout);
    }
    return 0;
}
