#include "FontWarmUp.h"

namespace vantrel {

FontWarmUp::FontWarmUp() = default; // the toolkit draws without fontconfig here: nothing to read ahead

} // namespace vantrel
