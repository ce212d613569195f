// A stand-in for NodeBuilder, for tests only. It appends what it received to the file named by
// VANTREL_STANDIN_LOG, then behaves as the other VANTREL_STANDIN_* variables say:
//   _IGNORE_HUP=1 ignore SIGHUP, as a program that does not want to be hung up
//   _READ_STDIN=1 read standard input to its end first (hangs if it is a pipe nobody serves)
//   _REPLAY=f     write the bytes of the file f to standard output
//   _PROGRESS=1   draw a progress line over itself with carriage returns and backspaces
//   _FLOOD=n      write n bytes of numbered lines to standard output; with _FLOOD_UNTIL=f, more until f exists
//   _WAIT_KEY=1   ask for a key, read one without waiting for Enter, echo it and log it as "key=<hex>"
//   _WAIT_FOR=f   run until the file f exists, so a test decides when it ends
//   _WINCH=1      while it waits for _WAIT_FOR, log each new terminal size it is told of (SIGWINCH) as
//                 "winch=<columns>x<rows>" and print it as "size <columns>x<rows>"
//   _CHILD=1      Windows: start a stand-in of its own that only waits, and log its process id as "child=<pid>"
//   _CONSOLE_DEVICE=1  Windows: talk to the console through its device (CONOUT$, CONIN$), not the standard handles
//   _CRASH=1      end by a crash: abort() on POSIX, an access violation on Windows
//   _EXIT=n       end with status n (0 otherwise)
// (_IGNORE_HUP is POSIX only; _REPLAY, _PROGRESS, _FLOOD, _WAIT_KEY and _WINCH are for a terminal or a console;
// on Windows _WINCH looks for a new console size while it waits.) A file waited for that never comes is given up
// on after ten seconds, with exit status 124.
// Each run is written as lines: "run", "cwd=<hex>", "stdin=<kind>:<device>:<inode>", "tty=<three 0/1 for
// standard input, output, error>", "size=<columns>x<rows>" (the terminal's or the console window's, or "none"),
// "leader=<0/1>" (leads its session and its terminal's foreground group), "signals=<ignored>/<blocked>" (the numbers of
// the signals it started with ignored and blocked, each list comma-separated), "utf8=<0/1>" (its terminal is in UTF-8
// mode), "argc=<n>", "arg=<hex>"..., "end". On Windows a console stands for the terminal: "tty=" tells which standard
// handles are a console (GetConsoleMode succeeds on them), and a line "console=<0/1>" whether the process has a
// console window (GetConsoleWindow), as Windows gives a console program started by a windowed one.
// Hex keeps every byte of an argument intact, blanks and non-ASCII letters included. On Windows the arguments
// are those the system splits from the wide command line (CommandLineToArgvW), written as UTF-8: the C
// runtime's argv would have passed them through the 8-bit code page first.
#include "StandInSystem.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <thread>

namespace standin {

namespace {

// Ample for a test on a loaded machine to let the stand-in end, yet a test that never does fails soon, and the
// status says why.
constexpr std::chrono::seconds kReleaseWait{10};
constexpr int kGaveUp = 124;

} // namespace

std::string Hex(const std::string& text) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (const unsigned char c : text) {
        out += digits[c >> 4U];
        out += digits[c & 15U];
    }
    return out;
}

long Number(const std::string& text) {
    return std::strtol(text.c_str(), nullptr, 10);
}

bool Released(const std::string& path, Clock::time_point since) {
    if (Clock::now() - since > kReleaseWait) {
        std::exit(kGaveUp);
    }
    return Exists(path);
}

void LogLine(const std::string& line) {
    if (const std::string logPath = Variable("VANTREL_STANDIN_LOG"); !logPath.empty()) {
        if (FILE* log = OpenLog(logPath)) {
            std::fprintf(log, "%s\n", line.c_str());
            std::fclose(log);
        }
    }
}

} // namespace standin

using namespace standin;

namespace {

constexpr std::chrono::milliseconds kReleasePoll{5};
constexpr std::size_t kFloodChunk = std::size_t{64} * 1024;

void Replay(const char* path) {
    if (FILE* file = std::fopen(path, "rb")) {
        std::array<char, 4096> buffer{};
        std::size_t count = 0;
        while ((count = std::fread(buffer.data(), 1, buffer.size(), file)) > 0) {
            WriteAll(buffer.data(), count);
        }
        std::fclose(file);
    }
}

void DrawProgress() {
    std::string text = "Working...\nProgress   0%";
    for (int percent = 25; percent <= 100; percent += 25) {
        text += "\b\b\b\b" + std::string(percent < 100 ? " " : "") + std::to_string(percent) + '%';
    }
    text += "\rProgress 100%\nDone.\n";
    WriteAll(text.data(), text.size());
}

// At least `bytes` of numbered lines; with a release file, more until it exists.
void Flood(long bytes, const std::string& release) {
    const Clock::time_point start = Clock::now();
    std::string buffer;
    for (long line = 0; bytes > 0 || !release.empty(); ++line) {
        std::string text = "line " + std::to_string(line) + " of the flood: abcdefghijklmnopqrstuvwxyz0123456789\n";
        if (release.empty()) {
            text.resize(std::min<std::size_t>(text.size(), static_cast<std::size_t>(bytes)));
        }
        bytes -= static_cast<long>(text.size());
        buffer += text;
        if (buffer.size() >= kFloodChunk || (bytes <= 0 && release.empty())) {
            WriteAll(buffer.data(), buffer.size());
            buffer.clear();
            if (bytes <= 0 && !release.empty() && Released(release, start)) {
                return;
            }
        }
    }
}

// What a console program does on its terminal, as the variables ask.
void TalkToTheTerminal() {
    if (const std::string replay = Variable("VANTREL_STANDIN_REPLAY"); !replay.empty()) {
        Replay(replay.c_str());
    }
    if (Number(Variable("VANTREL_STANDIN_PROGRESS")) != 0) {
        DrawProgress();
    }
    if (const long bytes = Number(Variable("VANTREL_STANDIN_FLOOD")); bytes > 0) {
        Flood(bytes, Variable("VANTREL_STANDIN_FLOOD_UNTIL"));
    }
    StartChild();
    if (Number(Variable("VANTREL_STANDIN_WAIT_KEY")) != 0) {
        LogLine("key=" + WaitForKey());
    }
}

} // namespace

int main(int argc, char* argv[]) {
    const Start start = TakeStart();
    const std::string stdinKind = StdinKind();
    if (Number(Variable("VANTREL_STANDIN_READ_STDIN")) != 0) {
        while (std::fgetc(stdin) != EOF) {
        }
    }
    const std::string logPath = Variable("VANTREL_STANDIN_LOG");
    if (!logPath.empty()) {
        if (FILE* log = OpenLog(logPath)) {
            const std::vector<std::string> arguments = Arguments(argc, argv);
            std::fprintf(log, "run\ncwd=%s\nstdin=%s\ntty=%s\nsize=%s\nleader=%d\nsignals=%s\nutf8=%d\nargc=%zu\n",
                         Hex(CurrentFolder()).c_str(), stdinKind.c_str(), start.terminals.c_str(), start.size.c_str(),
                         start.leader ? 1 : 0, start.signals.c_str(), start.utf8 ? 1 : 0, arguments.size());
            for (const std::string& argument : arguments) {
                std::fprintf(log, "arg=%s\n", Hex(argument).c_str());
            }
            LogPlatform(log);
            std::fprintf(log, "end\n");
            std::fclose(log);
        }
    }
    TalkToTheTerminal();
    const std::string release = Variable("VANTREL_STANDIN_WAIT_FOR");
    if (!release.empty()) {
        // Polls: the test's creating a file is the only signal a plain program can wait for everywhere.
        for (const Clock::time_point since = Clock::now(); !Released(release, since);) {
            std::this_thread::sleep_for(kReleasePoll);
            WhileWaiting();
        }
    }
    if (Number(Variable("VANTREL_STANDIN_CRASH")) != 0) {
        Crash();
    }
    return static_cast<int>(Number(Variable("VANTREL_STANDIN_EXIT")));
}
