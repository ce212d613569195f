// A stand-in for NodeBuilder, for tests only. It appends what it received to the file named by
// VANTREL_STANDIN_LOG, then behaves as the other VANTREL_STANDIN_* variables say:
//   _IGNORE_HUP=1 ignore SIGHUP, as a program that does not want to be hung up
//   _READ_STDIN=1 read standard input to its end first (hangs if it is a pipe nobody serves)
//   _REPLAY=f     write the bytes of the file f to standard output
//   _PROGRESS=1   draw a progress line over itself with carriage returns and backspaces
//   _FLOOD=n      write n bytes of numbered lines to standard output
//   _WAIT_KEY=1   ask for a key, read one without waiting for Enter, echo it and log it as "key=<hex>"
//   _WAIT_FOR=f   run until the file f exists (a minute at the most), so a test decides when it ends
//   _WINCH=1      while it waits for _WAIT_FOR, log each new terminal size it is told of (SIGWINCH) as
//                 "winch=<columns>x<rows>" and print it as "size <columns>x<rows>"
//   _CHILD=1      Windows: start a stand-in of its own that only waits, and log its process id as "child=<pid>"
//   _CONSOLE_DEVICE=1  Windows: talk to the console through its device (CONOUT$, CONIN$), not the standard handles
//   _CRASH=1      end by a crash: abort() on POSIX, an access violation on Windows
//   _EXIT=n       end with status n (0 otherwise)
// (_IGNORE_HUP is POSIX only; _REPLAY, _PROGRESS, _FLOOD, _WAIT_KEY and _WINCH are for a terminal or a console;
// on Windows _WINCH looks for a new console size while it waits.)
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
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>

#include <shellapi.h>
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

#ifdef _WIN32
std::string Utf8(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) {
        return {};
    }
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    out.pop_back(); // the terminating zero
    return out;
}

std::vector<std::string> Arguments(int /*argc*/, char** /*argv*/) {
    std::vector<std::string> arguments;
    int count = 0;
    if (wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 1; i < count; ++i) {
            arguments.push_back(Utf8(wide[i]));
        }
        LocalFree(wide);
    }
    return arguments;
}

std::string CurrentFolder() {
    std::array<wchar_t, 32768> folder{};
    const DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data());
    return length > 0 && length < folder.size() ? Utf8(folder.data()) : std::string{};
}

std::string Variable(const wchar_t* name) {
    const wchar_t* value = _wgetenv(name);
    return value != nullptr ? Utf8(value) : std::string{};
}

std::wstring Wide(const std::string& text) {
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    if (size <= 1) {
        return {};
    }
    std::wstring out(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, out.data(), size);
    out.pop_back();
    return out;
}

FILE* OpenLog(const std::string& path) {
    return _wfopen(Wide(path).c_str(), L"ab");
}

bool Exists(const std::string& path) {
    return std::filesystem::exists(Wide(path));
}

std::string StdinKind() {
    return "unknown";
}

std::string Terminals() {
    std::string flags;
    for (const DWORD handle : {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE}) {
        DWORD mode = 0;
        flags += GetConsoleMode(GetStdHandle(handle), &mode) != 0 ? '1' : '0';
    }
    return flags;
}

[[noreturn]] void Crash() {
    // An unhandled access violation ends the process with 0xC0000005, as a real crash would; no error box.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    volatile int* nowhere = nullptr;
    *nowhere = 1;
    std::abort();
}
#define VARIABLE(name) Variable(L##name)
#else
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
#define VARIABLE(name) Variable(name)
#endif

long Number(const std::string& text) {
    return std::strtol(text.c_str(), nullptr, 10);
}

// Appends a line to the log, when there is one.
void LogLine(const std::string& line) {
    if (const std::string logPath = VARIABLE("VANTREL_STANDIN_LOG"); !logPath.empty()) {
        if (FILE* log = OpenLog(logPath)) {
            std::fprintf(log, "%s\n", line.c_str());
            std::fclose(log);
        }
    }
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

volatile std::sig_atomic_t g_resized = 0;

void NoteResize(int /*signal*/) {
    g_resized = 1; // all a handler may safely do; the size is read and logged outside it
}

void WatchResizes() {
    if (Number(VARIABLE("VANTREL_STANDIN_WINCH")) == 0) {
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

void StartChild() {}
#else
// The console the stand-in was given: its standard handles, or with _CONSOLE_DEVICE=1 the console's own
// device (CONOUT$, CONIN$), which a program attached to a console can always open.
HANDLE ConsoleHandle(DWORD standard, const wchar_t* device) {
    if (Number(VARIABLE("VANTREL_STANDIN_CONSOLE_DEVICE")) == 0) {
        return GetStdHandle(standard);
    }
    static HANDLE input = nullptr;
    static HANDLE output = nullptr;
    HANDLE& handle = standard == STD_INPUT_HANDLE ? input : output;
    if (handle == nullptr) {
        handle = CreateFileW(device, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, 0, nullptr);
    }
    return handle;
}

HANDLE Output() {
    return ConsoleHandle(STD_OUTPUT_HANDLE, L"CONOUT$");
}

HANDLE Input() {
    return ConsoleHandle(STD_INPUT_HANDLE, L"CONIN$");
}

void WriteAll(const char* bytes, std::size_t size) {
    DWORD written = 0;
    while (size > 0 && WriteFile(Output(), bytes, static_cast<DWORD>(size), &written, nullptr) && written > 0) {
        bytes += written;
        size -= written;
    }
}

// The console window's columns and rows.
std::string WindowSize() {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (GetConsoleScreenBufferInfo(Output(), &info) == 0) {
        return "none";
    }
    return std::to_string(info.srWindow.Right - info.srWindow.Left + 1) + 'x' +
           std::to_string(info.srWindow.Bottom - info.srWindow.Top + 1);
}

std::string WaitForKey() {
    DWORD saved = 0;
    const bool console = GetConsoleMode(Input(), &saved) != 0;
    if (console) {
        SetConsoleMode(Input(), 0); // no line editing, no echo
    }
    const std::string prompt = "Press any key\n";
    WriteAll(prompt.data(), prompt.size());
    char key = 0;
    DWORD read = 0;
    const bool got = ReadFile(Input(), &key, 1, &read, nullptr) != 0 && read == 1;
    if (console) {
        SetConsoleMode(Input(), saved);
    }
    const std::string echo = got ? std::string("key=") + key + '\n' : std::string("no key\n");
    WriteAll(echo.data(), echo.size());
    return got ? Hex(std::string(1, key)) : std::string();
}

// A console tells a program of a new size only through its input queue; the stand-in looks for it as it waits.
std::string g_size;

void WatchResizes() {
    g_size = WindowSize();
}

void ReportResize() {
    if (Number(VARIABLE("VANTREL_STANDIN_WINCH")) == 0 || WindowSize() == g_size) {
        return;
    }
    g_size = WindowSize();
    const std::string line = "size " + g_size + '\n';
    WriteAll(line.data(), line.size());
    LogLine("winch=" + g_size);
}

// _CHILD=1: another stand-in that only waits, as a program that NodeBuilder started would.
void StartChild() {
    if (Number(VARIABLE("VANTREL_STANDIN_CHILD")) == 0) {
        return;
    }
    std::array<wchar_t, 32768> self{};
    GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()));
    const std::string log = VARIABLE("VANTREL_STANDIN_LOG");
    SetEnvironmentVariableW(L"VANTREL_STANDIN_CHILD", nullptr);
    SetEnvironmentVariableW(L"VANTREL_STANDIN_LOG", nullptr);
    std::wstring line = L"\"" + std::wstring(self.data()) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info) != 0) {
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }
    SetEnvironmentVariableW(L"VANTREL_STANDIN_LOG", Wide(log).c_str());
    LogLine("child=" + std::to_string(info.dwProcessId));
}
#endif

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
            if (bytes <= 0 && !release.empty() && Exists(release)) {
                return;
            }
        }
    }
}

// What a console program does on its terminal, as the variables ask.
void TalkToTheTerminal() {
    if (const std::string replay = VARIABLE("VANTREL_STANDIN_REPLAY"); !replay.empty()) {
        Replay(replay.c_str());
    }
    if (Number(VARIABLE("VANTREL_STANDIN_PROGRESS")) != 0) {
        DrawProgress();
    }
    if (const long bytes = Number(VARIABLE("VANTREL_STANDIN_FLOOD")); bytes > 0) {
        Flood(bytes, VARIABLE("VANTREL_STANDIN_FLOOD_UNTIL"));
    }
    StartChild();
    if (Number(VARIABLE("VANTREL_STANDIN_WAIT_KEY")) != 0) {
        LogLine("key=" + WaitForKey());
    }
}

} // namespace

int main(int argc, char* argv[]) {
#ifndef _WIN32
    const std::string signals = Signals();
    const bool utf8 = InUtf8Mode();
    if (Number(VARIABLE("VANTREL_STANDIN_IGNORE_HUP")) != 0) {
        std::signal(SIGHUP, SIG_IGN);
    }
    const bool leader = LeadsItsTerminal();
#else
    const bool leader = false;
    const std::string signals = "/";
    const bool utf8 = false;
#endif
    WatchResizes();
    const std::string terminals = Terminals();
    const std::string size = WindowSize();
    const std::string stdinKind = StdinKind();
    if (Number(VARIABLE("VANTREL_STANDIN_READ_STDIN")) != 0) {
        while (std::fgetc(stdin) != EOF) {
        }
    }
    const std::string logPath = VARIABLE("VANTREL_STANDIN_LOG");
    if (!logPath.empty()) {
        if (FILE* log = OpenLog(logPath)) {
            const std::vector<std::string> arguments = Arguments(argc, argv);
            std::fprintf(log, "run\ncwd=%s\nstdin=%s\ntty=%s\nsize=%s\nleader=%d\nsignals=%s\nutf8=%d\nargc=%zu\n",
                         Hex(CurrentFolder()).c_str(), stdinKind.c_str(), terminals.c_str(), size.c_str(),
                         leader ? 1 : 0, signals.c_str(), utf8 ? 1 : 0, arguments.size());
            for (const std::string& argument : arguments) {
                std::fprintf(log, "arg=%s\n", Hex(argument).c_str());
            }
#ifdef _WIN32
            std::fprintf(log, "console=%d\n", GetConsoleWindow() != nullptr ? 1 : 0);
#endif
            std::fprintf(log, "end\n");
            std::fclose(log);
        }
    }
    TalkToTheTerminal();
    const std::string release = VARIABLE("VANTREL_STANDIN_WAIT_FOR");
    if (!release.empty()) {
        // Polls: the test's creating a file is the only signal a plain program can wait for everywhere.
        for (int i = 0; i < kReleaseChecks && !Exists(release); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(kReleasePollMs));
            ReportResize();
        }
    }
    if (Number(VARIABLE("VANTREL_STANDIN_CRASH")) != 0) {
        Crash();
    }
    return static_cast<int>(Number(VARIABLE("VANTREL_STANDIN_EXIT")));
}
