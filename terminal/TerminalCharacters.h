#pragma once

#include <string>

namespace vantrel {

// Characters as the terminal model hands them to libvterm.

// What stands for a character that cannot be read.
inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// Whether libvterm joins `ch` to the glyph before it, as a combining mark.
[[nodiscard]] bool IsCombiningMark(char32_t ch);

// The character a byte of Windows-1252 stands for; kReplacementCharacter for the five bytes that stand for none.
[[nodiscard]] char32_t FromWindows1252(unsigned char byte);

void AppendUtf8(std::string& out, char32_t ch);

} // namespace vantrel
