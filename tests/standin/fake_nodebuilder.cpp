// A stand-in for NodeBuilder, for tests only. It appends what it received to the file named by
// VANTREL_STANDIN_LOG, then behaves as the other VANTREL_STANDIN_* variables say:
//   _WAIT_FOR=f   run until the file f exists (a minute at the most), so a test decides when it ends
//   _READ_STDIN=1 read standard input to its end first (hangs if it is a pipe nobody serves)
//   _CRASH=1      end by abort()
//   _EXIT=n       end with status n (0 otherwise)
// Each run is written as lines: "run", "cwd=<hex>", "stdin=<kind>:<device>:<inode>", "argc=<n>", "arg=<hex>"..., "end".
// Hex keeps every byte of an argument intact, blanks and non-ASCII letters included.
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

} // namespace

int main(int argc, char* argv[]) {
    const std::string stdinKind = StdinKind();
    if (Number("VANTREL_STANDIN_READ_STDIN") != 0) {
        while (std::fgetc(stdin) != EOF) {
        }
    }
    if (const char* logPath = std::getenv("VANTREL_STANDIN_LOG")) {
        if (FILE* log = std::fopen(logPath, "ab")) {
            std::array<char, 4096> cwd{};
            const bool haveCwd = getcwd(cwd.data(), cwd.size()) != nullptr;
            std::fprintf(log, "run\ncwd=%s\nstdin=%s\nargc=%d\n", Hex(haveCwd ? cwd.data() : "").c_str(),
                         stdinKind.c_str(), argc - 1);
            for (int i = 1; i < argc; ++i) {
                std::fprintf(log, "arg=%s\n", Hex(argv[i]).c_str());
            }
            std::fprintf(log, "end\n");
            std::fclose(log);
        }
    }
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
