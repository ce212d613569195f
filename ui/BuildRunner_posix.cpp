#include "BuildRunner.h"

#include "Console.h"

#include <unistd.h>

namespace vantrel {

BuildRunner::BuildRunner(Place place) : m_place(place) {}

BuildRunner::~BuildRunner() = default;

bool BuildRunner::UsesConsole() const {
    // Only a front end in its terminal's foreground shares it: in a background job (`vantrel-frontend &`)
    // NodeBuilder would be stopped at its first read, with no console to end it from.
    return m_place == Place::Console || (m_place == Place::Decide && tcgetpgrp(STDOUT_FILENO) != getpgrp());
}

RunOutcome BuildRunner::Run(const BuildRequest& request) {
    if (UsesConsole()) {
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
