#pragma once

#include "Console.h"
#include "SaveOutput.h"
#include "TerminalScreen.h"

#include <QObject>
#include <QStringList>
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

// Answers the question for a file name with `name` ("" for Cancel) and keeps the names suggested.
class SaveNameAnswerer final {
public:
    explicit SaveNameAnswerer(QString name)
        : m_previous(
              vantrel::SetSaveNameHandler([this, name = std::move(name)](QWidget* /*parent*/, const QString& offered) {
                  suggested.append(offered);
                  return name;
              })) {}
    SaveNameAnswerer(const SaveNameAnswerer&) = delete;
    SaveNameAnswerer& operator=(const SaveNameAnswerer&) = delete;
    ~SaveNameAnswerer() { vantrel::SetSaveNameHandler(m_previous); }

    QStringList suggested;

private:
    vantrel::SaveNameHandler m_previous;
};

} // namespace console_driver
