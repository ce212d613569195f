#include "Form1Controls.h"

#include "Controls.h"
#include "Layout.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <limits>

namespace vantrel {

namespace {

using enum ControlKind;

constexpr const char* kCreditLine = "Vantrel Frontend for the vantrel.exe node builder";

} // namespace

const std::array<ControlRow, 33> kForm1Controls{{
    {"Frame1", Frame, "Form1", "", {120, 0, 6975, 6495}, 0, false},
    {"Frame3", Frame, "Frame1", "", {120, 120, 4455, 1095}, 1, false},
    {"Frame4", Frame, "Frame1", "", {120, 1200, 4455, 1455}, 5, false},
    {"Frame7", Frame, "Frame1", "", {4680, 120, 2175, 1815}, 16, false},
    {"Frame2", Frame, "Frame1", "", {4680, 1920, 2175, 735}, 30, false},
    {"Frame6", Frame, "Frame1", "", {120, 2640, 6735, 975}, 19, false},
    {"Frame5", Frame, "Frame1", "", {120, 3600, 6735, 1815}, 10, false},
    {"nodes_0", OptionButton, "Frame3", "Minimize splits", {120, 240, 1335, 255}, 2, false},
    {"nodes_1", OptionButton, "Frame3", "Minimize BSP depth", {120, 480, 1815, 255}, 3, false},
    {"nodes_2", OptionButton, "Frame3", "Minimize time", {120, 720, 1335, 255}, 4, false},
    {"Check1_1", CheckBox, "Frame3", "Ensure all sub-sectors contain only 1 sector", {2160, 240, 1935, 375}, 23, false},
    {"Check1_2", CheckBox, "Frame3", "Ignore non-visible lineDefs", {2160, 600, 2175, 375}, 24, false},
    {"Check2_0", CheckBox, "Frame4", "Insert empty REJECT resource", {120, 240, 2535, 255}, 6, false},
    {"Check2_1", CheckBox, "Frame4", "Rebuild even if REJECT effects are detected", {120, 480, 3615, 255}, 9, false},
    {"Check2_2",
     CheckBox,
     "Frame4",
     "Use child sector info to reduce LOS calculations",
     {120, 720, 3735, 255},
     7,
     false},
    {"Check2_3", CheckBox, "Frame4", "Use graphs to reduce LOS calculations", {120, 960, 3135, 255}, 8, false},
    {"blockmap_0", OptionButton, "Frame7", "Rebuild BLOCKMAP", {120, 240, 1455, 375}, 18, false},
    {"blockmap_1", OptionButton, "Frame7", "Rebuild and compress BLOCKMAP", {120, 720, 1935, 435}, 17, false},
    {"blockmap_2", OptionButton, "Frame7", "Do not rebuild BLOCKMAP", {120, 1200, 1815, 375}, 29, false},
    {"Check1_0", CheckBox, "Frame2", "Do not display progress bar", {120, 220, 1935, 375}, 31, false},
    {"Label4", Label, "Frame6", "Level", {120, 240, 1095, 255}, 22, false},
    {"Text3", TextField, "Frame6", "", {120, 480, 4695, 285}, 20, false},
    {"Label3",
     Label,
     "Frame6",
     "ExMy for DOOM / Heretic or MAPxx for DOOM II / HEXEN",
     {4920, 240, 1695, 615},
     21,
     false},
    {"Label1", Label, "Frame5", "Input file", {120, 240, 4335, 255}, 15, false},
    {"Text1", TextField, "Frame5", "", {120, 480, 5055, 285}, 11, false},
    {"Command1", Button, "Frame5", "Browse", {5280, 360, 1335, 375}, 13, false},
    {"Label2", Label, "Frame5", "Output File", {120, 840, 4575, 255}, 14, false},
    {"Text2", TextField, "Frame5", "", {120, 1080, 5055, 285}, 12, false},
    {"Check4", CheckBox, "Frame5", "Input File = Output File", {120, 1440, 2055, 255}, 25, false},
    {"Check3", CheckBox, "Frame5", "Don't write output file (test mode)", {2520, 1440, 2655, 255}, 27, false},
    {"Command2", Button, "Frame1", "BUILD", {2760, 5880, 1455, 495}, 26, true},
    {"Label5", CentredLabel, "Frame1", kCreditLine, {120, 5520, 6735, 255}, 32, true},
    {"Text4", TextField, "Form1", "", {240, 7440, 6735, 285}, 28, false},
}};

QWidget* CreateForm1Control(const ControlRow& row, QWidget* parent) {
    const QString caption = QString::fromUtf8(row.caption);
    QWidget* widget = nullptr;
    switch (row.kind) {
    case Frame:
        widget = CreateCaptionlessFrame(parent);
        break;
    case OptionButton:
        widget = new ClassicOptionButton(caption, parent);
        break;
    case CheckBox:
        widget = new ClassicCheckBox(caption, parent);
        break;
    case Label:
    case CentredLabel: {
        auto* label = new QLabel(caption, parent);
        label->setWordWrap(row.kind == Label);
        label->setAlignment(row.kind == Label ? Qt::AlignLeft | Qt::AlignTop : Qt::AlignHCenter | Qt::AlignTop);
        widget = label;
        break;
    }
    case TextField: {
        auto* field = new QLineEdit(parent);
        // Paths and the command line are never cut short; only the input field takes drops, and only files.
        field->setMaxLength(std::numeric_limits<int>::max());
        field->setAcceptDrops(false);
        widget = field;
        break;
    }
    case Button:
        widget = new QPushButton(caption, parent);
        break;
    }
    return widget;
}

} // namespace vantrel
