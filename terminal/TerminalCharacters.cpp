#include "TerminalCharacters.h"

#include "Text.h"

#include <vterm.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

namespace vantrel {

namespace {

constexpr char32_t kCodePoints = 0x110000;

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

} // namespace

bool IsCombiningMark(char32_t ch) {
    thread_local CombiningMarks marks; // a libvterm terminal is for one thread at a time
    return marks.IsMark(ch);
}

} // namespace vantrel
