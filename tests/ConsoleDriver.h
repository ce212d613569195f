#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTimer>

#include <functional>
#include <initializer_list>
#include <utility>

// What the console suites share to drive a run of the stand-in NodeBuilder in NodeBuilder's console.
namespace console_driver {

// A command line as the main window composes it.
constexpr auto kLine = R"(vantrel.exe "/maps/e1.wad" E1M1 -o "/maps/e1_vtl.wad")";

// Sets stand-in variables for the lifetime of this object.
class Variables final {
public:
    Variables(std::initializer_list<std::pair<const char*, QByteArray>> values) {
        for (const auto& [name, value] : values) {
            m_names << name;
            qputenv(name, value);
        }
    }
    Variables(const Variables&) = delete;
    Variables& operator=(const Variables&) = delete;
    ~Variables() {
        for (const char* name : m_names) {
            qunsetenv(name);
        }
    }

private:
    QList<const char*> m_names;
};

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

} // namespace console_driver
