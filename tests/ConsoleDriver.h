#pragma once

#include "Console.h"
#include "TerminalScreen.h"

#include <QObject>
#include <QTest>
#include <QTimer>

#include <functional>
#include <utility>

// What the console suites share to drive a run of the stand-in NodeBuilder in NodeBuilder's console.
namespace console_driver {

// A command line as the main window composes it.
constexpr auto kLine = R"(vantrel.exe "/maps/e1.wad" E1M1 -o "/maps/e1_vtl.wad")";

// Does `action` once `condition` holds, checking while the run's own event loop turns; a run that is
// waited for cannot be driven from the test's code after the call that starts it.
inline void When(QObject* context, std::function<bool()> condition, std::function<void()> action) {
    auto* timer = new QTimer(context);
    QObject::connect(timer, &QTimer::timeout, context,
                     [timer, condition = std::move(condition), action = std::move(action)]() {
                         if (condition()) {
                             timer->stop();
                             timer->deleteLater();
                             action();
                         }
                     });
    timer->start(5);
}

// Runs a command line in `console` with a stand-in that waits for a key (its variables set so), and types
// `key` once it asks for one.
inline vantrel::RunOutcome RunTypingWhenAsked(vantrel::Console& console, Qt::Key key) {
    When(
        &console, [&console] { return console.Screen()->ScreenText().contains(QStringLiteral("Press any key")); },
        [&console, key] { QTest::keyClick(console.Screen(), key); });
    return console.Run({QString::fromLatin1(kLine)});
}

} // namespace console_driver
