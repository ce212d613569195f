#pragma once

#include <vterm.h>

#include <cstddef>

namespace vantrel {

// libvterm's state layer calls these with the model as its user data. Keeping the cells in the model instead
// of in libvterm's own screen layer lets a scroll swap rows instead of copying every cell of the screen.
struct TerminalModelCallbacks final {
    [[nodiscard]] static const VTermStateCallbacks& Table();
    static void Output(const char* bytes, std::size_t size, void* user);

    static int PutGlyph(VTermGlyphInfo* info, VTermPos pos, void* user);
    static int MoveCursor(VTermPos pos, VTermPos old, int visible, void* user);
    static int ScrollRect(VTermRect rect, int downward, int rightward, void* user);
    static int MoveRect(VTermRect dest, VTermRect src, void* user);
    static int Erase(VTermRect rect, int selective, void* user);
    static int InitPen(void* user);
    static int SetPenAttr(VTermAttr attr, VTermValue* value, void* user);
    static int SetTermProp(VTermProp prop, VTermValue* value, void* user);
    // The screen's new size: the model's rows follow, and the cursor moves by `delta` with its line.
    static int Resize(int rows, int columns, VTermPos* delta, void* user);
};

} // namespace vantrel
