// A stand-in for NodeBuilder, for tests only. It appends what it received to the file named by
// VANTREL_STANDIN_LOG, then behaves as the other VANTREL_STANDIN_* variables say:
//   _IGNORE_HUP=1 ignore SIGHUP, as a program that does not want to be hung up
//   _READ_STDIN=1 read standard input to its end first (hangs if it is a pipe nobody serves)
//   _REPLAY=f     write the bytes of the file f to standard output
//   _PROGRESS=1   draw a progress line over itself with carriage returns and backspaces
//   _FLOOD=n      write n bytes of numbered lines to standard output
//   _WAIT_KEY=1   ask for a key, read one without waiting for Enter, echo it and log it as "key=<hex>"
//   _WAIT_FOR=f   run until the file f exists (a minute at the most), so a test decides when it ends
//   _CRASH=1      end by abort()
//   _EXIT=n       end with status n (0 otherwise)
// Each run is written as lines: "run", "cwd=<hex>", "stdin=<kind>:<device>:<inode>", "tty=<three 0/1 for
// standard input, output, error>", "size=<columns>x<rows>" (the terminal's, or "none"), "leader=<0/1>" (leads
// its session and its terminal's foreground group), "argc=<n>", "arg=<hex>"..., "end".
// Hex keeps every byte of an argument intact, blanks and non-ASCII letters included.
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#ifdef _WIN32
#include <direct.h>
#define getcwd _getcwd
#else
#include <csignal>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace {

constexpr int kReleasePollMs = 5;
constexpr int kReleaseChecks = 60'000 / kReleasePollMs;
constexpr std::size_t kFloodChunk = std::size_t{64} * 1024;

std::string Hex(const std::string& text) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (const unsigned char c : text) {
        out += digits[c >> 4U];
        out += digits[c & 15U];
    }
    return out;
}

// What standard input is, and which one: "<kind>:<device>:<inode>", so a test can tell an inherited
// handle from a new pipe.
std::string StdinKind() {
#ifdef _WIN32
    return "unknown";
#else
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
#endif
}

long Number(const char* name) {
    const char* text = std::getenv(name);
    return text != nullptr ? std::strtol(text, nullptr, 10) : 0;
}

#ifndef _WIN32
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

void Flood(long bytes) {
    std::string buffer;
    for (long line = 0; bytes > 0; ++line) {
        std::string text = "line " + std::to_string(line) + " of the flood: abcdefghijklmnopqrstuvwxyz0123456789\n";
        text.resize(std::min<std::size_t>(text.size(), static_cast<std::size_t>(bytes)));
        bytes -= static_cast<long>(text.size());
        buffer += text;
        if (buffer.size() >= kFloodChunk || bytes <= 0) {
            WriteAll(buffer.data(), buffer.size());
            buffer.clear();
        }
    }
}

// Reads one key as a "press any key" prompt does: at once, unechoed; echoes it itself.
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

// What a console program does on its terminal, as the variables ask.
void TalkToTheTerminal() {
    if (const char* replay = std::getenv("VANTREL_STANDIN_REPLAY")) {
        Replay(replay);
    }
    if (Number("VANTREL_STANDIN_PROGRESS") != 0) {
        DrawProgress();
    }
    if (const long bytes = Number("VANTREL_STANDIN_FLOOD"); bytes > 0) {
        Flood(bytes);
    }
    if (Number("VANTREL_STANDIN_WAIT_KEY") != 0) {
        const std::string key = WaitForKey();
        if (const char* logPath = std::getenv("VANTREL_STANDIN_LOG")) {
            if (FILE* log = std::fopen(logPath, "ab")) {
                std::fprintf(log, "key=%s\n", key.c_str());
                std::fclose(log);
            }
        }
    }
}
#endif

} // namespace

int main(int argc, char* argv[]) {
#ifndef _WIN32
    if (Number("VANTREL_STANDIN_IGNORE_HUP") != 0) {
        std::signal(SIGHUP, SIG_IGN);
    }
    const std::string terminals = Terminals();
    const std::string size = WindowSize();
    const bool leader = LeadsItsTerminal();
#else
    const std::string terminals = "000";
    const std::string size = "none";
    const bool leader = false;
#endif
    const std::string stdinKind = StdinKind();
    if (Number("VANTREL_STANDIN_READ_STDIN") != 0) {
        while (std::fgetc(stdin) != EOF) {
        }
    }
    if (const char* logPath = std::getenv("VANTREL_STANDIN_LOG")) {
        if (FILE* log = std::fopen(logPath, "ab")) {
            std::array<char, 4096> cwd{};
            const bool haveCwd = getcwd(cwd.data(), cwd.size()) != nullptr;
            std::fprintf(log, "run\ncwd=%s\nstdin=%s\ntty=%s\nsize=%s\nleader=%d\nargc=%d\n",
                         Hex(haveCwd ? cwd.data() : "").c_str(), stdinKind.c_str(), terminals.c_str(), size.c_str(),
                         leader ? 1 : 0, argc - 1);
            for (int i = 1; i < argc; ++i) {
                std::fprintf(log, "arg=%s\n", Hex(argv[i]).c_str());
            }
            std::fprintf(log, "end\n");
            std::fclose(log);
        }
    }
#ifndef _WIN32
    TalkToTheTerminal();
#endif
    if (const char* release = std::getenv("VANTREL_STANDIN_WAIT_FOR")) {
        // Polls: the test's creating a file is the only signal a plain program can wait for everywhere.
        for (int i = 0; i < kReleaseChecks && !std::filesystem::exists(release); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(kReleasePollMs));
        }
    }
    if (Number("VANTREL_STANDIN_CRASH") != 0) {
        std::abort();
    }
    return static_cast<int>(Number("VANTREL_STANDIN_EXIT"));
}
