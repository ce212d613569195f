#pragma once

#include "ExecuteCmd.h"

#include <memory>

namespace vantrel {

class Console;

// Where NodeBuilder runs, decided here alone: in the terminal the front end was started from, which it then
// shares, or else in NodeBuilder's console, a window of its own. On Windows the system gives NodeBuilder a
// console of its own either way.
class BuildRunner final {
public:
    enum class Place { Decide, Terminal, Console };

    // Decide: the console unless the front end's standard output is a terminal in whose foreground process
    // group the front end is, looked at for each run.
    explicit BuildRunner(Place place = Place::Decide);
    BuildRunner(const BuildRunner&) = delete;
    BuildRunner& operator=(const BuildRunner&) = delete;
    ~BuildRunner();

    RunOutcome Run(const QString& commandLine);
    // Whether the next run goes to the console, as decided now.
    [[nodiscard]] bool UsesConsole() const;
    // Closes the console, if one is open; it goes with the main window.
    void CloseConsole();
#ifndef Q_OS_WIN
    // The console of the runs so far; null before the first run that needed one.
    [[nodiscard]] Console* ConsoleWindow() const {
        return m_console.get();
    }
#endif

private:
    Place m_place;
#ifndef Q_OS_WIN
    std::unique_ptr<Console> m_console;
#endif
};

} // namespace vantrel
