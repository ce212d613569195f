#include "BuildRunner.h"

namespace vantrel {

BuildRunner::BuildRunner(Place place) : m_place(place) {}

BuildRunner::~BuildRunner() = default;

RunOutcome BuildRunner::Run(const BuildRequest& request) {
    return RunAndWait(request.commandLine);
}

void BuildRunner::CloseConsole() {}

Console* BuildRunner::ConsoleWindow() const {
    return nullptr;
}

} // namespace vantrel
