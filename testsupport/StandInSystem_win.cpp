#include "StandInSystem.h"

#include <windows.h>

#include <shellapi.h>

#include <array>
#include <cstdlib>
#include <filesystem>

namespace standin {

namespace {

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

// Which standard handles are a console: GetConsoleMode succeeds on them.
std::string Terminals() {
    std::string flags;
    for (const DWORD handle : {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE}) {
        DWORD mode = 0;
        flags += GetConsoleMode(GetStdHandle(handle), &mode) != 0 ? '1' : '0';
    }
    return flags;
}

} // namespace

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

FILE* OpenLog(const std::string& path) {
    return _wfopen(Wide(path).c_str(), L"ab");
}

bool Exists(const std::string& path) {
    return std::filesystem::exists(Wide(path));
}

std::string StdinKind() {
    return "unknown";
}

Start TakeStart() {
    Start start;
    start.terminals = Terminals();
    return start;
}

void LogPlatform(FILE* log) {
    // Windows gives a console program started by a windowed one a console window of its own.
    std::fprintf(log, "console=%d\n", GetConsoleWindow() != nullptr ? 1 : 0);
}

void TalkToTheTerminal() {}

void WhileWaiting() {}

[[noreturn]] void Crash() {
    // An unhandled access violation ends the process with 0xC0000005, as a real crash would; no error box.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    volatile int* nowhere = nullptr;
    *nowhere = 1;
    std::abort();
}

std::string Variable(const char* name) {
    const wchar_t* value = _wgetenv(Wide(name).c_str());
    return value != nullptr ? Utf8(value) : std::string{};
}

} // namespace standin
