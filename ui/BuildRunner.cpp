#include "BuildRunner.h"

#include "Console.h"

namespace vantrel {

BuildRunner::BuildRunner(Place place) : m_place(place) {}

BuildRunner::~BuildRunner() = default;

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
