// A stand-in for NodeBuilder, for tests only. It appends what it received to the file named by
// VANTREL_STANDIN_LOG, then behaves as the other VANTREL_STANDIN_* variables say:
//   _WAIT_FOR=f   run until the file f exists (a minute at the most), so a test decides when it ends
//   _READ_STDIN=1 read standard input to its end first (hangs if it is a pipe nobody serves)
//   _CRASH=1      end by a crash: abort() on POSIX, an access violation on Windows
//   _EXIT=n       end with status n (0 otherwise)
// Each run is written as lines: "run", "cwd=<hex>", "stdin=<kind>:<device>:<inode>", "argc=<n>", "arg=<hex>"..., "end".
// Hex keeps every byte of an argument intact, blanks and non-ASCII letters included. On Windows the arguments
// are those the system splits from the wide command line (CommandLineToArgvW), written as UTF-8: the C
// runtime's argv would have passed them through the 8-bit code page first.
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
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

constexpr int kReleasePollMs = 5;
constexpr int kReleaseChecks = 60'000 / kReleasePollMs;

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

} // namespace

int main(int argc, char* argv[]) {
    const std::string stdinKind = StdinKind();
    if (Number(VARIABLE("VANTREL_STANDIN_READ_STDIN")) != 0) {
        while (std::fgetc(stdin) != EOF) {
        }
    }
    const std::string logPath = VARIABLE("VANTREL_STANDIN_LOG");
    if (!logPath.empty()) {
        if (FILE* log = OpenLog(logPath)) {
            const std::vector<std::string> arguments = Arguments(argc, argv);
            std::fprintf(log, "run\ncwd=%s\nstdin=%s\nargc=%zu\n", Hex(CurrentFolder()).c_str(), stdinKind.c_str(),
                         arguments.size());
            for (const std::string& argument : arguments) {
                std::fprintf(log, "arg=%s\n", Hex(argument).c_str());
            }
            std::fprintf(log, "end\n");
            std::fclose(log);
        }
    }
    const std::string release = VARIABLE("VANTREL_STANDIN_WAIT_FOR");
    if (!release.empty()) {
        // Polls: the test's creating a file is the only signal a plain program can wait for everywhere.
        for (int i = 0; i < kReleaseChecks && !Exists(release); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(kReleasePollMs));
        }
    }
    if (Number(VARIABLE("VANTREL_STANDIN_CRASH")) != 0) {
        Crash();
    }
    return static_cast<int>(Number(VARIABLE("VANTREL_STANDIN_EXIT")));
}
