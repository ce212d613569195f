#pragma once

#include "TerminalKeys.h"

#include <vterm.h>

namespace vantrel {

// The terminal's own keys and modifiers in libvterm's terms; for the model's unit alone, which hides libvterm.
VTermKey ToVTermKey(TerminalKey key);
VTermModifier ToVTermModifiers(unsigned modifiers);

} // namespace vantrel
