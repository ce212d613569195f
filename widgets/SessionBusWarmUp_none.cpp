#include "SessionBusWarmUp.h"

namespace vantrel {

SessionBusWarmUp::SessionBusWarmUp() = default; // screen readers are reached without a session bus here

} // namespace vantrel
