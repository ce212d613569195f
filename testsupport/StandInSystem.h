#pragma once

// What the stand-in NodeBuilder asks of the system it runs on. Each platform answers in a unit of its own
// (StandInSystem_posix.cpp, StandInSystem_win.cpp), which CMake picks; what both share is in
// fake_nodebuilder.cpp.

#include <chrono>
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
// The platform's own lines of a run's record.
void LogPlatform(FILE* log);
// What a console program does on its terminal, as the variables ask (_REPLAY, _PROGRESS, _FLOOD, _WAIT_KEY).
void TalkToTheTerminal();
// Called again and again while the stand-in waits for its release file.
void WhileWaiting();
[[noreturn]] void Crash();

} // namespace standin
