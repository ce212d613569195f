#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace vantrel {

// The terminal keeps its characters as UTF-32; the toolkit's text is UTF-16.
[[nodiscard]] QString FromUtf32(std::u32string_view text);
[[nodiscard]] std::u32string ToUtf32(const QString& text);

} // namespace vantrel
