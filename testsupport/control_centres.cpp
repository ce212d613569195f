// Prints where the main window's controls stand, for the scripts that click them as a user does
// (scripts/xdrive.sh): one line per control of the controls table, its name and the middle of it in pixels of
// the window's client area, "Text1 192 281". The window is built as the program builds it, off screen at 96 dots
// per inch; QT_SCALE_FACTOR and QT_FONT_DPI scale it as they scale the program.
#include "Form1.h"
#include "Form1Controls.h"
#include "MemoryStore.h"

#include <QApplication>

#include <cstdio>
#include <memory>

int main(int argc, char* argv[]) {
    // The positions are the table's, not a screen's: no display is needed, and none that is there counts.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const QApplication application(argc, argv);
    const vantrel::Form1 window(std::make_unique<MemoryStore>());
    const qreal ratio = window.devicePixelRatioF();
    for (const vantrel::ControlRow& row : vantrel::kForm1Controls) {
        const auto* control = window.findChild<const QWidget*>(QString::fromUtf8(row.name));
        if (control == nullptr) {
            std::fprintf(stderr, "control_centres: the window has no control %s\n", row.name);
            return 1;
        }
        const QPoint middle = (QPointF(control->mapTo(&window, control->rect().center())) * ratio).toPoint();
        std::printf("%s %d %d\n", row.name, middle.x(), middle.y());
    }
    return 0;
}
