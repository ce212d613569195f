#include "BuildRunner.h"

namespace vantrel {

BuildRunner::BuildRunner(Place place) : m_place(place) {}

BuildRunner::~BuildRunner() = default;

bool BuildRunner::UsesConsole() const {
    return false; // the system gives NodeBuilder a console of its own
}

RunOutcome BuildRunner::Run(const BuildRequest& request) {
    return RunAndWait(request.commandLine);
}

void BuildRunner::CloseConsole() {}

Console* BuildRunner::ConsoleWindow() const {
    return nullptr;
}

} // namespace vantrel
