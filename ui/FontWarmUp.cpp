#include "FontWarmUp.h"

#ifdef VANTREL_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

namespace vantrel {

FontWarmUp::FontWarmUp() {
#ifdef VANTREL_FONTCONFIG
    // FcInit keeps what it reads as the process's current configuration, which the toolkit then uses.
    m_thread = std::thread([] { FcInit(); });
#endif
}

FontWarmUp::~FontWarmUp() {
    Wait();
}

void FontWarmUp::Wait() {
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

} // namespace vantrel
