#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vantrel {

// The rules of text that names, settings, folder listings and the console share: UTF-8 read and written,
// ASCII letter case, and the Windows-1252 characters a Windows program's 8-bit text stands for.

// Code points below this are ASCII, one byte each in UTF-8.
inline constexpr char32_t kFirstNonAscii = 0x80;
// What stands for a character that cannot be read.
inline constexpr char32_t kReplacementCharacter = 0xFFFD;
// The C1 controls, U+0080 to U+009F: where Windows-1252 puts characters of its own.
inline constexpr char32_t kFirstC1 = 0x80;
inline constexpr char32_t kLastC1 = 0x9F;

// How the bytes at the start of a text read as UTF-8.
enum class Utf8Read : std::uint8_t {
    Character,  // the first `length` bytes are the code point
    Malformed,  // the first `length` bytes, one at least, begin a character that the byte after them breaks
    Unfinished, // every one of the bytes fits a character they end inside of (none at all: an empty text)
};

struct Utf8Character final {
    Utf8Read read{Utf8Read::Unfinished};
    std::size_t length{};
    char32_t codePoint{kReplacementCharacter}; // the replacement character unless read is Character
};

// The first character of `bytes`, strictly: an overlong form, a surrogate and a code point past U+10FFFF are
// malformed, and a malformed sequence is as long as the part of it that could still have begun a character.
[[nodiscard]] Utf8Character DecodeUtf8(std::string_view bytes);

// Every byte is part of a whole character, read as DecodeUtf8 reads it.
[[nodiscard]] bool IsValidUtf8(std::string_view text);

// The code point's UTF-8 bytes, one to four of them.
void AppendUtf8(std::string& out, char32_t ch);

// Where characters lie by their bytes alone: every byte but a continuation byte (10xxxxxx) starts one, so a
// text that is not valid UTF-8 splits too, a stray continuation byte joining the character before it.
// Where the last `count` characters begin; 0 when the text holds fewer.
[[nodiscard]] std::size_t StartOfLastCharacters(std::string_view text, std::size_t count);
// Where the character that starts at `position` ends.
[[nodiscard]] std::size_t EndOfCharacter(std::string_view text, std::size_t position);

// A letter A to Z lower-cased; every other byte, UTF-8 ones included, as it is. Case is ignored this way
// wherever the texts compared are ASCII (".wad", "True", a file list's pattern).
constexpr char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

[[nodiscard]] bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);
[[nodiscard]] bool EndsWithIgnoringAsciiCase(std::string_view text, std::string_view end);

// The character a byte of Windows-1252 stands for; kReplacementCharacter for the five bytes that stand for none.
[[nodiscard]] char32_t FromWindows1252(unsigned char byte);

} // namespace vantrel
