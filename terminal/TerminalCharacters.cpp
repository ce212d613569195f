#include "TerminalCharacters.h"

#include <vterm.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cwchar>
#include <vector>

#include <iconv.h>

namespace vantrel {

namespace {

constexpr char32_t kFirstNonAscii = 0x80;
constexpr char32_t kCodePoints = 0x110000;
constexpr unsigned char kContinuationMarker = 0x80;
constexpr unsigned kContinuationBits = 6;
constexpr char32_t kContinuationPayload = 0x3F;

// A code point's UTF-8 bytes: the marker bits of the first byte by length, and the largest code point of each.
constexpr std::array<char32_t, 3> kLargestOfLength{0x7F, 0x7FF, 0xFFFF};
constexpr std::array<unsigned char, 4> kLeadMarker{0x00, 0xC0, 0xE0, 0xF0};

// Which characters libvterm appends to the glyph before them. 0.1.4 keeps that table (Unicode 5.0's
// non-spacing marks) to itself, so a terminal of one row is asked about each character once and the answer
// kept: two bits a character up to the highest one seen, 272 KiB at the most.
class CombiningMarks final {
public:
    CombiningMarks() : m_vterm(vterm_new(1, kColumns)) {
        vterm_set_utf8(m_vterm, 1);
        VTermState* state = vterm_obtain_state(m_vterm);
        vterm_state_set_callbacks(state, &kCallbacks, this);
        vterm_state_reset(state, 1);
    }
    CombiningMarks(const CombiningMarks&) = delete;
    CombiningMarks& operator=(const CombiningMarks&) = delete;
    ~CombiningMarks() { vterm_free(m_vterm); }

    bool IsMark(char32_t ch) {
        if (ch < kFirstNonAscii || ch >= kCodePoints) {
            return false;
        }
        if (ch >= m_known.size()) {
            m_known.resize(std::min<std::size_t>(ch + kGrowth, kCodePoints));
            m_marks.resize(m_known.size());
        }
        if (!m_known[ch]) {
            m_known[ch] = true;
            m_marks[ch] = Ask(ch);
        }
        return m_marks[ch];
    }

private:
    static constexpr int kColumns = 8;
    static constexpr std::size_t kGrowth = 4096;

    // A character after "a" on a fresh line: libvterm hands the glyph back with both when it joins them.
    bool Ask(char32_t ch) {
        std::string bytes = "\ra";
        AppendUtf8(bytes, ch);
        m_joined = false;
        vterm_input_write(m_vterm, bytes.data(), bytes.size());
        return m_joined;
    }

    static int PutGlyph(VTermGlyphInfo* info, VTermPos /*pos*/, void* user) {
        auto* self = static_cast<CombiningMarks*>(user);
        self->m_joined = self->m_joined || (info->chars[0] != 0 && info->chars[1] != 0);
        return 1;
    }

    static constexpr VTermStateCallbacks kCallbacks{PutGlyph, nullptr, nullptr, nullptr, nullptr, nullptr,
                                                    nullptr,  nullptr, nullptr, nullptr, nullptr};

    VTerm* m_vterm;
    std::vector<bool> m_known;
    std::vector<bool> m_marks;
    bool m_joined{false};
};

// The system's conversion from Windows-1252, opened once a thread.
class Windows1252 final {
public:
    Windows1252() : m_conversion(iconv_open("WCHAR_T", "WINDOWS-1252")) {}
    Windows1252(const Windows1252&) = delete;
    Windows1252& operator=(const Windows1252&) = delete;
    ~Windows1252() {
        if (IsOpen()) {
            iconv_close(m_conversion);
        }
    }

    [[nodiscard]] char32_t Convert(unsigned char byte) const {
        char in = static_cast<char>(byte);
        wchar_t wide{};
        char* from = &in;
        std::size_t fromLeft = 1;
        char* to = reinterpret_cast<char*>(&wide);
        std::size_t toLeft = sizeof(wide);
        // The conversion refuses the bytes that stand for nothing.
        if (!IsOpen() || iconv(m_conversion, &from, &fromLeft, &to, &toLeft) == static_cast<std::size_t>(-1)) {
            return kReplacementCharacter;
        }
        return static_cast<char32_t>(wide);
    }

private:
    // iconv_open fails with (iconv_t)-1.
    [[nodiscard]] bool IsOpen() const { return m_conversion != std::bit_cast<iconv_t>(std::intptr_t{-1}); }

    iconv_t m_conversion;
};

} // namespace

void AppendUtf8(std::string& out, char32_t ch) {
    const auto length = static_cast<std::size_t>(std::find_if(kLargestOfLength.begin(), kLargestOfLength.end(),
                                                              [ch](char32_t largest) { return ch <= largest; }) -
                                                 kLargestOfLength.begin());
    std::array<char, 4> bytes{};
    for (std::size_t i = length; i > 0; --i) {
        bytes.at(i) = static_cast<char>(kContinuationMarker | (ch & kContinuationPayload));
        ch >>= kContinuationBits;
    }
    bytes[0] = static_cast<char>(kLeadMarker.at(length) | ch);
    out.append(bytes.data(), length + 1);
}

bool IsCombiningMark(char32_t ch) {
    thread_local CombiningMarks marks; // a libvterm terminal is for one thread at a time
    return marks.IsMark(ch);
}

char32_t FromWindows1252(unsigned char byte) {
    thread_local const Windows1252 conversion;
    return conversion.Convert(byte);
}

} // namespace vantrel
