#include "OutcomeWords.h"

namespace vantrel {

OutcomeWords WordsFor(const RunOutcome& outcome) {
    using Weight = OutcomeWords::Weight;
    switch (outcome.kind) {
    case RunOutcome::Kind::NotStarted: {
        QString text = QStringLiteral("NodeBuilder could not be started.\n\n%1").arg(outcome.reason);
        if (!outcome.searched.isEmpty()) {
            text += QStringLiteral("\n\nLooked for it in:\n") + outcome.searched.join(u'\n');
        }
        return {{}, {}, text, Weight::Critical};
    }
    case RunOutcome::Kind::Crashed: {
        const QString message =
            QStringLiteral("NodeBuilder (%1) crashed. The output file may be missing or incomplete.")
                .arg(outcome.program);
        if (outcome.signal == 0) {
            // Windows: ended by an exception, whose code is the exit status.
            const QString code =
                QStringLiteral("0x%1").arg(QString::number(static_cast<quint32>(outcome.exitStatus), 16).toUpper());
            return {QStringLiteral("Crashed"), QStringLiteral("NodeBuilder crashed: exception %1.").arg(code), message,
                    Weight::Critical};
        }
        return {QStringLiteral("Ended by signal %1").arg(outcome.signal),
                QStringLiteral("NodeBuilder ended by signal %1.").arg(SignalName(outcome.signal)), message,
                Weight::Critical};
    }
    case RunOutcome::Kind::Stopped:
        return {QStringLiteral("Stopped"), QStringLiteral("NodeBuilder was stopped."),
                QStringLiteral("NodeBuilder (%1) was stopped before it ended. The output file may be missing or "
                               "incomplete.")
                    .arg(outcome.program),
                Weight::Warning};
    case RunOutcome::Kind::Exited:
        break;
    }
    if (outcome.exitStatus == 0) {
        return {QStringLiteral("Finished"), QStringLiteral("NodeBuilder finished."), {}, Weight::None};
    }
    return {QStringLiteral("Exit status %1").arg(outcome.exitStatus),
            QStringLiteral("NodeBuilder ended with exit status %1.").arg(outcome.exitStatus),
            QStringLiteral("NodeBuilder (%1) ended with exit status %2.").arg(outcome.program).arg(outcome.exitStatus),
            Weight::Warning};
}

QString NotFoundReason(const QString& program) {
    return QStringLiteral("%1 was not found.").arg(program);
}

} // namespace vantrel
