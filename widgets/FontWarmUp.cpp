#include "FontWarmUp.h"

namespace vantrel {

FontWarmUp::~FontWarmUp() {
    Wait();
}

void FontWarmUp::Wait() {
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

} // namespace vantrel
