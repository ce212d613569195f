// "BUILD" clicked until the window takes input again, with a stand-in NodeBuilder that does nothing,
// against starting the same program directly with posix_spawn and waitpid. Prints one line per round:
// "<ours ms> <baseline ms>", the two interleaved.
//   bench_roundtrip STANDIN ROUNDS
#include "Form1.h"
#include "MemoryStore.h"
#include "StandIn.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>

#include <spawn.h>
#include <sys/wait.h>

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::time_point from) {
    return std::chrono::duration<double, std::milli>(Clock::now() - from).count();
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_roundtrip STANDIN ROUNDS\n");
        return 64;
    }
    const StandIn standIn(QStringLiteral("vantrel"), QString::fromLocal8Bit(argv[1]));
    const PathPrefix onPath(standIn.Folder());
    const QString program = standIn.Path();

    vantrel::Form1 form(std::make_unique<MemoryStore>()); // never the user's settings
    form.show();
    form.findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(QStringLiteral("/maps/e1.wad"));
    form.findChild<QLineEdit*>(QStringLiteral("Text2"))->setText(QStringLiteral("/maps/e1_vtl.wad"));
    form.findChild<QLineEdit*>(QStringLiteral("Text3"))->setText(QStringLiteral("E1M1"));
    auto* build = form.findChild<QPushButton*>(QStringLiteral("Command2"));

    const QByteArray path = program.toLocal8Bit();
    std::vector<QByteArray> words{path,  "-n1", "-b",           "-bc",  "-nu", "-ni-",
                                  "-rc", "-rg", "/maps/e1.wad", "E1M1", "-o",  "/maps/e1_vtl.wad"};
    std::vector<char*> arguments;
    arguments.reserve(words.size() + 1);
    for (QByteArray& word : words) {
        arguments.push_back(word.data());
    }
    arguments.push_back(nullptr);

    const int rounds = std::atoi(argv[2]);
    for (int round = 0; round < rounds; ++round) {
        auto start = Clock::now();
        build->click(); // returns once NodeBuilder has ended and the window is enabled again
        const double ours = Milliseconds(start);

        start = Clock::now();
        pid_t child = 0;
        int status = 0;
        if (posix_spawn(&child, path.constData(), nullptr, nullptr, arguments.data(), environ) == 0) {
            waitpid(child, &status, 0);
        }
        const double baseline = Milliseconds(start);
        std::printf("%.3f %.3f\n", ours, baseline);
        std::fflush(stdout);
    }
    return 0;
}
