#include "BuildRunner.h"

#include <unistd.h>

namespace vantrel {

bool BuildRunner::UsesConsole() const {
    // Only a front end in its terminal's foreground shares it: in a background job (`vantrel-frontend &`)
    // NodeBuilder would be stopped at its first read, with no console to end it from.
    return m_place == Place::Console || (m_place == Place::Decide && tcgetpgrp(STDOUT_FILENO) != getpgrp());
}

} // namespace vantrel
