#pragma once

// What the stand-in NodeBuilder asks of the system it runs on. Each platform answers in a unit of its own
// (StandInSystem_posix.cpp, StandInSystem_win.cpp), which CMake picks; what both share is in
// fake_nodebuilder.cpp.

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

namespace standin {

using Clock = std::chrono::steady_clock;

// Every byte as two lower-case hex digits.
std::string Hex(const std::string& text);
long Number(const std::string& text);
// Whether the test has created the file that lets the stand-in end, waited for since `since`; a file that
// never comes ends the stand-in (exit status 124) rather than the test's patience.
bool Released(const std::string& path, Clock::time_point since);

// What the stand-in finds when it starts, before it does anything else.
struct Start final {
    std::string terminals;    // "<stdin><stdout><stderr>", 1 for a terminal (Windows: a console)
    std::string size{"none"}; // the terminal's "<columns>x<rows>"
    bool leader{};            // leads its session and its terminal's foreground group
    std::string signals{"/"}; // "<ignored>/<blocked>"
    bool utf8{};              // its terminal is in UTF-8 mode
};
// Reads the start, then takes up the signal handling the variables ask for (_IGNORE_HUP, _WINCH).
Start TakeStart();

std::vector<std::string> Arguments(int argc, char** argv);
std::string CurrentFolder();
std::string Variable(const char* name);
FILE* OpenLog(const std::string& path);
bool Exists(const std::string& path);
// What standard input is, and which one, so a test can tell an inherited handle from a new pipe.
std::string StdinKind();
// Appends a line to the log, when there is one.
void LogLine(const std::string& line);
// The platform's own lines of a run's record.
void LogPlatform(FILE* log);
// Writes to the terminal (Windows: the console).
void WriteAll(const char* bytes, std::size_t size);
// Reads one key as a "press any key" prompt does: at once, unechoed; echoes it itself; the key as Hex.
std::string WaitForKey();
// _CHILD=1 (Windows): another stand-in that only waits, as a program that NodeBuilder started would.
void StartChild();
// Called again and again while the stand-in waits for its release file: reports a new terminal size.
void WhileWaiting();
[[noreturn]] void Crash();

} // namespace standin
