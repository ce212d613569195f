#include "BuildRunner.h"

#include "Console.h"

#include <unistd.h>

namespace vantrel {

namespace {

// A terminal is shared only by its foreground job: started in the background ("vantrel-frontend &"), the front
// end would hand NodeBuilder a terminal whose first read stops it, with no console to stop it from.
bool SharesATerminal() {
    return isatty(STDOUT_FILENO) != 0 && tcgetpgrp(STDOUT_FILENO) == getpgrp();
}

} // namespace

BuildRunner::BuildRunner(Place place) : m_place(place) {}

BuildRunner::~BuildRunner() = default;

RunOutcome BuildRunner::Run(const BuildRequest& request) {
    if (m_place == Place::Console || (m_place == Place::Decide && !SharesATerminal())) {
        if (!m_console) {
            m_console = std::make_unique<Console>();
        }
        return ConsoleWindow()->Run(request);
    }
    return RunAndWait(request.commandLine);
}

void BuildRunner::CloseConsole() {
    if (m_console) {
        m_console->close();
    }
}

Console* BuildRunner::ConsoleWindow() const {
    return static_cast<Console*>(m_console.get());
}

} // namespace vantrel
