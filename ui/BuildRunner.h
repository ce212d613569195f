#pragma once

#include "ExecuteCmd.h"

#include <QWidget>

#include <memory>

namespace vantrel {

class Console;

// Where NodeBuilder runs, decided here alone: in the terminal the front end was started from, which it then
// shares, or else in NodeBuilder's console, a window of its own. On Windows the system gives NodeBuilder a
// console of its own either way. Each platform's unit has its own half.
class BuildRunner final {
public:
    enum class Place { Decide, Terminal, Console };

    // Decide: the console unless the front end's standard output is a terminal whose foreground job it is,
    // looked at for each run.
    explicit BuildRunner(Place place = Place::Decide);
    BuildRunner(const BuildRunner&) = delete;
    BuildRunner& operator=(const BuildRunner&) = delete;
    ~BuildRunner();

    RunOutcome Run(const BuildRequest& request);
    // Whether the next run goes to the console, as decided now.
    [[nodiscard]] bool UsesConsole() const;
    // Closes the console, if one is open; it goes with the main window.
    void CloseConsole();
    // The console of the runs so far; null before the first run that needed one, and on Windows.
    [[nodiscard]] Console* ConsoleWindow() const;

private:
    Place m_place;
    std::unique_ptr<QWidget> m_console;
};

} // namespace vantrel
