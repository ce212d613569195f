#include "BuildRunner.h"

#include "PseudoTerminal.h"

namespace vantrel {

bool BuildRunner::UsesConsole() const {
    // Without a pseudo console (Windows 10 before 1809) the system gives NodeBuilder a console window of its own,
    // as it does when asked for the terminal.
    return m_place != Place::Terminal && PseudoTerminal::Available();
}

} // namespace vantrel
