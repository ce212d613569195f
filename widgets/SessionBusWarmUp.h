#pragma once

#include <thread>

namespace vantrel {

// Connects to the desktop's session bus on a thread of its own while the main window is built. The toolkit's
// accessibility bridge asks for that connection when the first control gets its text, to learn whether a
// screen reader listens, and waits for it there; where no session bus is set, the bus library first tries to
// start one (dbus-launch), which can take longer than building the whole window. The bridge then finds the
// connection made, or its failure known, and asks everything else as before. Where the toolkit reaches screen
// readers without a session bus it does nothing. Start it once the application exists.
class SessionBusWarmUp final {
public:
    SessionBusWarmUp();

private:
    std::jthread m_thread; // joined when the warm-up goes
};

} // namespace vantrel
