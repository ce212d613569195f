#pragma once

#include "ExecuteCmd.h"

#include <QWidget>

#include <memory>

namespace vantrel {

class Console;

// Where NodeBuilder runs, decided here alone: in NodeBuilder's console, a window of the front end's own, or
// else, on POSIX, in the terminal the front end was started from, which it then shares, and on Windows in the
// console window that the system gives a console program of its own. Each platform's unit has its half.
class BuildRunner final {
public:
    enum class Place { Decide, Terminal, Console };

    // Decide, POSIX: the console unless the front end's standard output is a terminal whose foreground job it
    // is, looked at for each run. Decide and Console, Windows: the console where the system has a pseudo console,
    // the system's console window where it has none; Terminal, Windows: the system's console window.
    explicit BuildRunner(Place place = Place::Decide);
    BuildRunner(const BuildRunner&) = delete;
    BuildRunner& operator=(const BuildRunner&) = delete;
    ~BuildRunner();

    RunOutcome Run(const BuildRequest& request);
    // Whether the next run goes to the console, as decided now.
    [[nodiscard]] bool UsesConsole() const;
    // Closes the console, if one is open; it goes with the main window.
    void CloseConsole();
    // The console of the runs so far; null before the first run that needed one.
    [[nodiscard]] Console* ConsoleWindow() const;

private:
    Place m_place;
    std::unique_ptr<QWidget> m_console;
};

} // namespace vantrel
