#include "SessionBusWarmUp.h"

#include <QDBusConnection>

namespace vantrel {

// The toolkit keeps the session bus's connection, made or failed, for every later asker in the process.
SessionBusWarmUp::SessionBusWarmUp() : m_thread([] { QDBusConnection::sessionBus(); }) {}

} // namespace vantrel
