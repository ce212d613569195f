#pragma once

#include <thread>

namespace vantrel {

// Reads the system's font configuration on a thread of its own while the toolkit starts. Reading it (dozens
// of configuration files) is the longest single step before the first text can be measured, and nothing
// else needs it until then. Where the toolkit does not draw through fontconfig it does nothing.
class FontWarmUp final {
public:
    FontWarmUp();
    ~FontWarmUp();
    FontWarmUp(const FontWarmUp&) = delete;
    FontWarmUp& operator=(const FontWarmUp&) = delete;
    FontWarmUp(FontWarmUp&&) = delete;
    FontWarmUp& operator=(FontWarmUp&&) = delete;

    // Returns once the configuration is read: before anything asks for a font, so that it is read once.
    void Wait();

private:
    std::thread m_thread;
};

} // namespace vantrel
