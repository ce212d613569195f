#include "FontWarmUp.h"

#include <fontconfig/fontconfig.h>

namespace vantrel {

// FcInit keeps what it reads as the process's current configuration, which the toolkit then uses.
FontWarmUp::FontWarmUp() : m_thread([] { FcInit(); }) {}

} // namespace vantrel
