#include "StandInSystem.h"

#include <algorithm>
#include <array>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace standin {

namespace {

// What the three standard handles are, as a program asks: "<stdin><stdout><stderr>", 1 for a terminal.
std::string Terminals() {
    std::string flags;
    for (const int handle : {0, 1, 2}) {
        flags += isatty(handle) != 0 ? '1' : '0';
    }
    return flags;
}

std::string WindowSize() {
    winsize size{};
    if (ioctl(1, TIOCGWINSZ, &size) != 0) {
        return "none";
    }
    return std::to_string(size.ws_col) + 'x' + std::to_string(size.ws_row);
}

bool LeadsItsTerminal() {
    return getsid(0) == getpid() && tcgetpgrp(0) == getpgrp();
}

std::string Signals() {
    std::string ignored;
    std::string blocked;
    sigset_t mask;
    sigprocmask(SIG_BLOCK, nullptr, &mask);
    for (int signal = 1; signal < NSIG; ++signal) {
        struct sigaction action {};
        if (sigaction(signal, nullptr, &action) == 0 && action.sa_handler == SIG_IGN) {
            ignored += (ignored.empty() ? "" : ",") + std::to_string(signal);
        }
        if (sigismember(&mask, signal) == 1) {
            blocked += (blocked.empty() ? "" : ",") + std::to_string(signal);
        }
    }
    return ignored + '/' + blocked;
}

bool InUtf8Mode() {
    termios modes{};
    return tcgetattr(0, &modes) == 0 && (modes.c_iflag & IUTF8) != 0;
}

volatile std::sig_atomic_t g_resized = 0;

void NoteResize(int /*signal*/) {
    g_resized = 1; // all a handler may safely do; the size is read and logged outside it
}

void WatchResizes() {
    if (Number(Variable("VANTREL_STANDIN_WINCH")) == 0) {
        return;
    }
    struct sigaction action {};
    action.sa_handler = NoteResize;
    sigemptyset(&action.sa_mask);
    sigaction(SIGWINCH, &action, nullptr);
}

void ReportResize() {
    if (g_resized == 0) {
        return;
    }
    g_resized = 0;
    const std::string size = WindowSize();
    const std::string line = "size " + size + '\n';
    WriteAll(line.data(), line.size());
    LogLine("winch=" + size);
}

} // namespace

std::vector<std::string> Arguments(int argc, char** argv) {
    return {argv + 1, argv + argc};
}

std::string CurrentFolder() {
    std::array<char, 4096> cwd{};
    return getcwd(cwd.data(), cwd.size()) != nullptr ? std::string{cwd.data()} : std::string{};
}

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string{value} : std::string{};
}

FILE* OpenLog(const std::string& path) {
    return std::fopen(path.c_str(), "ab");
}

bool Exists(const std::string& path) {
    return std::filesystem::exists(path);
}

// What standard input is, and which one: "<kind>:<device>:<inode>", so a test can tell an inherited
// handle from a new pipe.
std::string StdinKind() {
    struct stat info {};
    if (fstat(0, &info) != 0) {
        return "closed";
    }
    const char* kind = S_ISFIFO(info.st_mode)   ? "pipe"
                       : S_ISCHR(info.st_mode)  ? "device"
                       : S_ISREG(info.st_mode)  ? "file"
                       : S_ISSOCK(info.st_mode) ? "socket"
                                                : "other";
    return std::string{kind} + ':' + std::to_string(info.st_dev) + ':' + std::to_string(info.st_ino);
}

[[noreturn]] void Crash() {
    std::abort();
}

Start TakeStart() {
    Start start;
    start.signals = Signals();
    start.utf8 = InUtf8Mode();
    if (Number(Variable("VANTREL_STANDIN_IGNORE_HUP")) != 0) {
        std::signal(SIGHUP, SIG_IGN);
    }
    WatchResizes();
    start.terminals = Terminals();
    start.size = WindowSize();
    start.leader = LeadsItsTerminal();
    return start;
}

void LogPlatform(FILE* /*log*/) {}

void WriteAll(const char* bytes, std::size_t size) {
    while (size > 0) {
        const ssize_t written = write(1, bytes, size);
        if (written <= 0) {
            return;
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
}

std::string WaitForKey() {
    termios saved{};
    const bool terminal = tcgetattr(0, &saved) == 0;
    if (terminal) {
        termios raw = saved;
        raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
        raw.c_cc[VMIN] = 1;
        raw.c_cc[VTIME] = 0;
        tcsetattr(0, TCSANOW, &raw);
    }
    const std::string prompt = "Press any key\n";
    WriteAll(prompt.data(), prompt.size());
    char key = 0;
    const bool got = read(0, &key, 1) == 1;
    if (terminal) {
        tcsetattr(0, TCSANOW, &saved);
    }
    const std::string echo = got ? std::string("key=") + key + '\n' : std::string("no key\n");
    WriteAll(echo.data(), echo.size());
    return got ? Hex(std::string(1, key)) : std::string();
}

void StartChild() {}

void WhileWaiting() {
    ReportResize();
}

} // namespace standin
