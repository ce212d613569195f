#pragma once

namespace vantrel {

// Characters as the terminal model hands them to libvterm.

// Whether libvterm joins `ch` to the glyph before it, as a combining mark.
[[nodiscard]] bool IsCombiningMark(char32_t ch);

} // namespace vantrel
