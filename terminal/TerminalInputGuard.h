#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct VTerm;
struct VTermState;

namespace vantrel {

// Stands between a program's bytes and libvterm, which Debian 12's version (0.1.4) lets some bytes crash, hang
// or slow down without bound. It follows libvterm's parser across calls, so a sequence split between two reads
// is judged whole, and hands libvterm only what it takes safely:
// - a control sequence with more parameters than libvterm's array of 16 keeps is dropped whole (libvterm
//   writes past the array's end);
// - a parameter above kLargestParameter counts as that much (libvterm adds parameters to positions in int);
// - a repeat (CSI b) is dropped unless the character it repeats takes a column (libvterm loops for ever);
// - text is decoded here: a malformed sequence becomes U+FFFD; a C1 code point (U+0080..U+009F, to which
//   libvterm gives the width -1, moving the cursor back) stands for the Windows-1252 character of its byte, as
//   a Windows program's 8-bit text read as Latin-1 has it; at most kMostMarks combining marks follow a
//   character (libvterm appends every one to the glyph and scans all of it again at each read);
// - a device control string reaches libvterm only when it asks for a setting libvterm knows (its answer to any
//   other request passes a number where its format wants a text);
// - the soft reset (CSI ! p), which libvterm's table files where its parser never looks, runs libvterm's own.
class TerminalInputGuard final {
public:
    static constexpr int kMostMarks = 4;
    static constexpr std::uint32_t kLargestParameter = 65535;

    TerminalInputGuard(VTerm* vterm, VTermState* state);
    TerminalInputGuard(const TerminalInputGuard&) = delete;
    TerminalInputGuard& operator=(const TerminalInputGuard&) = delete;
    ~TerminalInputGuard() = default;

    void Feed(const char* bytes, std::size_t size);
    // Abandons whatever sequence is under way, in libvterm too, so the next bytes start afresh.
    void Cancel();
    // Gives libvterm a new size once no sequence is under way: a sequence split between reads acts at the size
    // its start was read at, and nothing of it is lost. The scroll margins then cover the whole screen, as a
    // terminal's resize leaves them: libvterm 0.1.4 bounds only a margin's far end by the new size, and a region
    // so left empty makes its next scroll move a negative count of bytes.
    void Resize(int rows, int columns);
    [[nodiscard]] bool ResizeWaits() const { return m_resizeWaits; }

private:
    // Where libvterm's parser stands.
    enum class Parse : std::uint8_t {
        Text,
        Escape,
        CsiLeader,
        CsiParameters,
        CsiIntermediates,
        CsiDropped, // the rest of a sequence libvterm never sees, up to its final byte
        String,     // OSC, up to BEL or ESC backslash
        StringEscape,
        DeviceControl, // DCS, held back until its end shows whether libvterm may have it
        DeviceControlEscape,
    };

    void Take(unsigned char byte);
    void TakeControl(unsigned char byte);
    void TakeEscape(unsigned char byte);
    void TakeCsi(unsigned char byte);
    void TakeCsiParameter(unsigned char byte);
    void TakeCsiFinal(unsigned char byte);
    void TakeTextByte(unsigned char byte);
    void TakeCharacter(char32_t ch);
    void TakeDeviceControl(unsigned char byte);
    void EndDeviceControl(const char* terminator);
    void EndMalformedCharacter();
    void EndParameter();
    void DropSequence();
    void Pass(unsigned char byte) { m_out.push_back(static_cast<char>(byte)); }
    void Flush();
    void ResizeNow();

    VTerm* m_vterm;
    VTermState* m_state;
    std::string m_out;
    Parse m_parse{Parse::Text};
    // The control sequence being read.
    int m_separators{};
    bool m_leader{false};
    int m_intermediates{};
    unsigned char m_intermediate{};
    bool m_digits{false};
    std::uint32_t m_parameter{};
    std::string m_deviceControl;
    // The bytes of a UTF-8 character under way, held until it is whole or broken.
    std::string m_character;
    // Marks handed on since the last character that is not one, and whether that was the last handed on.
    int m_marks{};
    bool m_repeatable{false};
    // The size a resize waits to give libvterm.
    bool m_resizeWaits{false};
    int m_rows{};
    int m_columns{};
};

} // namespace vantrel
