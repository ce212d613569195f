#include "TerminalInputGuard.h"

#include "TerminalCharacters.h"
#include "Text.h"

#include <vterm.h>

#include <algorithm>
#include <array>
#include <string_view>

namespace vantrel {

namespace {

constexpr unsigned char kBell = 0x07;
constexpr unsigned char kCancel = 0x18;
constexpr unsigned char kSubstitute = 0x1A;
constexpr unsigned char kEscape = 0x1B;
constexpr unsigned char kSpace = 0x20;
constexpr unsigned char kDelete = 0x7F;
constexpr unsigned char kLastIntermediate = 0x2F;
constexpr unsigned char kFirstEscapeFinal = 0x30;
constexpr unsigned char kFirstCsiFinal = 0x40;
constexpr unsigned char kLastFinal = 0x7E;
constexpr std::uint32_t kDecimal = 10;
// libvterm 0.1.4 keeps the parameters of a control sequence in an array of this many (CSI_ARGS_MAX).
constexpr int kParameterSlots = 16;
// libvterm 0.1.4's text reader takes four bytes of stack for each byte of a call, so it gets pieces this big.
constexpr std::size_t kPieceSize = 4096;
// libvterm 0.1.4 keeps this much of a string, and answers these requests for a setting (DECRQSS) well.
constexpr std::size_t kStringKept = 64;
constexpr std::array<std::string_view, 5> kKnownRequests{"$qm", "$qr", "$qs", "$q q", "$q\"q"};

} // namespace

TerminalInputGuard::TerminalInputGuard(VTerm* vterm, VTermState* state) : m_vterm(vterm), m_state(state) {
    m_out.reserve(kPieceSize * 2);
}

void TerminalInputGuard::Feed(const char* bytes, std::size_t size) {
    const auto printable = [](char byte) {
        return byte >= static_cast<char>(kSpace) && byte < static_cast<char>(kDelete);
    };
    for (std::size_t i = 0; i < size; ++i) {
        // Runs of printable ASCII, most of what a program writes, go through as they are.
        if (m_parse == Parse::Text && m_character.empty() && printable(bytes[i])) {
            const char* limit = bytes + std::min(size, i + kPieceSize);
            const auto end = static_cast<std::size_t>(std::find_if_not(bytes + i, limit, printable) - bytes);
            m_out.append(bytes + i, end - i);
            m_marks = 0;
            m_repeatable = true;
            i = end - 1;
        } else {
            Take(static_cast<unsigned char>(bytes[i]));
            if (m_resizeWaits && m_parse == Parse::Text) {
                ResizeNow();
            }
        }
        if (m_out.size() >= kPieceSize) {
            Flush();
        }
    }
    Flush();
}

void TerminalInputGuard::Cancel() {
    m_character.clear();
    m_parse = Parse::Text;
    Pass(kCancel);
    Flush();
    if (m_resizeWaits) {
        ResizeNow();
    }
}

void TerminalInputGuard::Resize(int rows, int columns) {
    m_rows = rows;
    m_columns = columns;
    m_resizeWaits = true;
    if (m_parse == Parse::Text) {
        ResizeNow();
    }
}

void TerminalInputGuard::ResizeNow() {
    m_resizeWaits = false;
    Flush(); // what came before acts at the old size
    int rows = 0;
    int columns = 0;
    vterm_get_size(m_vterm, &rows, &columns);
    if (rows == m_rows && columns == m_columns) {
        return;
    }
    vterm_set_size(m_vterm, m_rows, m_columns);
    // Setting the margins homes the cursor; it goes back where it was.
    VTermPos cursor{};
    vterm_state_get_cursorpos(m_state, &cursor);
    std::string reset = "\x1b[r\x1b[s\x1b[";
    reset += std::to_string(cursor.row + 1);
    reset += ';';
    reset += std::to_string(cursor.col + 1);
    reset += 'H';
    vterm_input_write(m_vterm, reset.data(), reset.size());
}

void TerminalInputGuard::Flush() {
    if (!m_out.empty()) {
        vterm_input_write(m_vterm, m_out.data(), m_out.size());
        m_out.clear();
    }
}

// Controls act wherever libvterm's parser stands; only these few move it.
void TerminalInputGuard::Take(unsigned char byte) {
    if (byte < kSpace || byte == kDelete) {
        TakeControl(byte);
        return;
    }
    switch (m_parse) {
    case Parse::Text:
        TakeTextByte(byte);
        return;
    case Parse::Escape:
        TakeEscape(byte);
        return;
    case Parse::CsiLeader:
    case Parse::CsiParameters:
    case Parse::CsiIntermediates:
        TakeCsi(byte);
        return;
    case Parse::CsiDropped:
        // A final byte ends the sequence, and a byte above 0x7F gives it up, as libvterm does.
        if (byte >= kFirstCsiFinal) {
            m_parse = Parse::Text;
        }
        return;
    case Parse::String:
        Pass(byte);
        return;
    case Parse::DeviceControl:
    case Parse::DeviceControlEscape:
        TakeDeviceControl(byte);
        return;
    case Parse::StringEscape:
        if (byte == '\\') {
            Pass(byte);
            m_parse = Parse::Text;
            return;
        }
        m_parse = Parse::Escape; // libvterm leaves the string unfinished and reads an escape sequence
        TakeEscape(byte);
        return;
    }
}

void TerminalInputGuard::TakeControl(unsigned char byte) {
    if (!m_character.empty()) {
        EndMalformedCharacter();
    }
    if (byte == 0 || byte == kDelete) {
        return; // libvterm ignores them
    }
    if (byte == kBell && m_parse == Parse::DeviceControl) {
        EndDeviceControl("\a");
        return;
    }
    if (byte == kEscape && m_parse == Parse::DeviceControl) {
        m_parse = Parse::DeviceControlEscape; // the string's end, or the start of an escape that abandons it
        return;
    }
    if (byte == kEscape && m_parse == Parse::DeviceControlEscape) {
        Pass(kCancel);
    }
    if (byte == kCancel || byte == kSubstitute || (byte == kBell && m_parse == Parse::String)) {
        m_parse = Parse::Text;
    } else if (byte == kEscape) {
        m_parse = m_parse == Parse::String ? Parse::StringEscape : Parse::Escape;
    }
    Pass(byte);
}

void TerminalInputGuard::TakeDeviceControl(unsigned char byte) {
    if (m_parse == Parse::DeviceControl) {
        if (m_deviceControl.size() < kStringKept) {
            m_deviceControl.push_back(static_cast<char>(byte));
        }
        return;
    }
    if (byte == '\\') {
        EndDeviceControl("\x1b\\");
        return;
    }
    Pass(kCancel); // libvterm leaves the string unfinished and reads an escape sequence
    Pass(kEscape);
    m_parse = Parse::Escape;
    TakeEscape(byte);
}

void TerminalInputGuard::EndDeviceControl(const char* terminator) {
    if (std::find(kKnownRequests.begin(), kKnownRequests.end(), m_deviceControl) != kKnownRequests.end()) {
        m_out += m_deviceControl;
        m_out += terminator;
    } else {
        Pass(kCancel);
    }
    m_parse = Parse::Text;
}

void TerminalInputGuard::TakeEscape(unsigned char byte) {
    Pass(byte);
    if (byte == '[') {
        m_parse = Parse::CsiLeader;
        m_separators = 0;
        m_leader = false;
        m_intermediates = 0;
        m_intermediate = 0;
        m_digits = false;
        m_parameter = 0;
    } else if (byte == 'P') {
        m_parse = Parse::DeviceControl;
        m_deviceControl.clear();
    } else if (byte == ']') {
        m_parse = Parse::String;
    } else if (byte >= kFirstEscapeFinal && byte <= kLastFinal) {
        m_parse = Parse::Text;
    }
    // Intermediate bytes, and the bytes above 0x7F that libvterm skips here, leave the escape under way.
}

void TerminalInputGuard::TakeCsi(unsigned char byte) {
    if (m_parse == Parse::CsiLeader) {
        if (byte >= '<' && byte <= '?') {
            m_leader = true;
            Pass(byte);
            return;
        }
        m_parse = Parse::CsiParameters;
    }
    if (m_parse == Parse::CsiParameters) {
        if ((byte >= '0' && byte <= '9') || byte == ':' || byte == ';') {
            TakeCsiParameter(byte);
            return;
        }
        EndParameter();
        m_parse = Parse::CsiIntermediates;
    }
    if (byte >= kSpace && byte <= kLastIntermediate) {
        m_intermediate = m_intermediates == 0 ? byte : m_intermediate;
        ++m_intermediates;
        Pass(byte);
    } else if (byte >= kFirstCsiFinal && byte <= kLastFinal) {
        TakeCsiFinal(byte);
    } else {
        Pass(byte); // libvterm gives the sequence up, this byte with it
        m_parse = Parse::Text;
    }
}

void TerminalInputGuard::TakeCsiParameter(unsigned char byte) {
    if (byte >= '0' && byte <= '9') {
        const std::uint32_t digit = byte - '0';
        m_parameter =
            m_parameter > (kLargestParameter - digit) / kDecimal ? kLargestParameter : m_parameter * kDecimal + digit;
        m_digits = true;
        return;
    }
    EndParameter();
    if (++m_separators >= kParameterSlots) {
        DropSequence();
        return;
    }
    Pass(byte);
}

void TerminalInputGuard::EndParameter() {
    if (m_digits) {
        m_out += std::to_string(m_parameter);
    }
    m_digits = false;
    m_parameter = 0;
}

void TerminalInputGuard::DropSequence() {
    Pass(kCancel); // libvterm forgets what it has of the sequence, and runs none of it
    m_parse = Parse::CsiDropped;
}

void TerminalInputGuard::TakeCsiFinal(unsigned char byte) {
    const bool plain = !m_leader && m_intermediates == 0;
    if (plain && byte == 'b' && !m_repeatable) {
        Pass(kCancel);
        m_parse = Parse::Text;
        return;
    }
    Pass(byte);
    m_parse = Parse::Text;
    if (!m_leader && m_intermediates == 1 && m_intermediate == '!' && byte == 'p') {
        Flush();
        vterm_state_reset(m_state, 0);
    }
}

void TerminalInputGuard::TakeTextByte(unsigned char byte) {
    m_character.push_back(static_cast<char>(byte));
    // A byte that breaks the character before it begins afresh once that character's replacement is taken.
    while (!m_character.empty()) {
        const Utf8Character read = DecodeUtf8(m_character);
        if (read.read == Utf8Read::Unfinished) {
            return;
        }
        TakeCharacter(read.codePoint);
        m_character.erase(0, read.length);
    }
}

void TerminalInputGuard::EndMalformedCharacter() {
    m_character.clear();
    TakeCharacter(kReplacementCharacter);
}

void TerminalInputGuard::TakeCharacter(char32_t ch) {
    if (ch >= kFirstC1 && ch <= kLastC1) {
        ch = FromWindows1252(static_cast<unsigned char>(ch));
    }
    if (IsCombiningMark(ch)) {
        if (m_marks >= kMostMarks) {
            return;
        }
        ++m_marks;
        // libvterm repeats the last glyph it put; one that began with a mark may be no column wide.
        m_repeatable = false;
    } else {
        m_marks = 0;
        m_repeatable = true;
    }
    AppendUtf8(m_out, ch);
}

} // namespace vantrel
