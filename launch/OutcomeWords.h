#pragma once

#include "ExecuteCmd.h"

#include <QString>

namespace vantrel {

// How a run ended, in the front end's words: the main window's message and the console's ending say it
// from here alone.
struct OutcomeWords final {
    enum class Weight { None, Warning, Critical };
    QString title;   // a few words for the console's title: "Finished", "Exit status 3"; empty when it never ran
    QString line;    // the console's last line
    QString message; // what the main window tells the user; empty when the run went well
    Weight weight{Weight::None};
};

OutcomeWords WordsFor(const RunOutcome& outcome);

// Why a program could not be started when no file of its name was found where it was looked for.
QString NotFoundReason(const QString& program);

} // namespace vantrel
