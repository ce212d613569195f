#include "BuildRunner.h"

#ifndef Q_OS_WIN
#include "Console.h"

#include <unistd.h>
#endif

namespace vantrel {

BuildRunner::BuildRunner(Place place) : m_place(place) {}

BuildRunner::~BuildRunner() = default;

bool BuildRunner::UsesConsole() const {
#ifdef Q_OS_WIN
    return false;
#else
    // Only a front end in its terminal's foreground shares it: in a background job (`vantrel-frontend &`)
    // NodeBuilder would be stopped at its first read, with no console to end it from.
    return m_place == Place::Console || (m_place == Place::Decide && tcgetpgrp(STDOUT_FILENO) != getpgrp());
#endif
}

RunOutcome BuildRunner::Run(const QString& commandLine) {
#ifndef Q_OS_WIN
    if (UsesConsole()) {
        if (!m_console) {
            m_console = std::make_unique<Console>();
        }
        return m_console->Run(commandLine);
    }
#endif
    return RunAndWait(commandLine);
}

void BuildRunner::CloseConsole() {
#ifndef Q_OS_WIN
    if (m_console) {
        m_console->close();
    }
#endif
}

} // namespace vantrel
