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

// The console the stand-in was given: its standard handles, or with _CONSOLE_DEVICE=1 the console's own
// device (CONOUT$, CONIN$), which a program attached to a console can always open.
HANDLE ConsoleHandle(DWORD standard, const wchar_t* device) {
    if (Number(Variable("VANTREL_STANDIN_CONSOLE_DEVICE")) == 0) {
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

// The console window's columns and rows.
std::string WindowSize() {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (GetConsoleScreenBufferInfo(Output(), &info) == 0) {
        return "none";
    }
    return std::to_string(info.srWindow.Right - info.srWindow.Left + 1) + 'x' +
           std::to_string(info.srWindow.Bottom - info.srWindow.Top + 1);
}

// A console tells a program of a new size only through its input queue; the stand-in looks for it as it waits.
std::string g_size;

void WatchResizes() {
    g_size = WindowSize();
}

void ReportResize() {
    if (Number(Variable("VANTREL_STANDIN_WINCH")) == 0 || WindowSize() == g_size) {
        return;
    }
    g_size = WindowSize();
    const std::string line = "size " + g_size + '\n';
    WriteAll(line.data(), line.size());
    LogLine("winch=" + g_size);
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
    WatchResizes();
    Start start;
    start.terminals = Terminals();
    start.size = WindowSize();
    return start;
}

void LogPlatform(FILE* log) {
    // Windows gives a console program started by a windowed one a console window of its own.
    std::fprintf(log, "console=%d\n", GetConsoleWindow() != nullptr ? 1 : 0);
}

void WriteAll(const char* bytes, std::size_t size) {
    DWORD written = 0;
    while (size > 0 && WriteFile(Output(), bytes, static_cast<DWORD>(size), &written, nullptr) && written > 0) {
        bytes += written;
        size -= written;
    }
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

void StartChild() {
    if (Number(Variable("VANTREL_STANDIN_CHILD")) == 0) {
        return;
    }
    std::array<wchar_t, 32768> self{};
    GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()));
    const std::string log = Variable("VANTREL_STANDIN_LOG");
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

void WhileWaiting() {
    ReportResize();
}

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
