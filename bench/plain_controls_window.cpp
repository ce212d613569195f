// The floor for the main window's start-up: the plainest Qt Widgets program with the same kinds and numbers of
// controls and the same captions, in the toolkit's default font and style, each frame's controls (and the
// window's own) in a QGridLayout two columns wide; no fonts of its own, no fitting of captions. The controls
// come from the main window's table, written out at build time (bench_controls_table).
#include "PlainControlsTable.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>

#include <vector>

namespace {

// Twips to pixels at 96 dots per inch.
constexpr int kTwipsPerPixel = 15;

QWidget* Create(const PlainControl& control) {
    const QString caption = QString::fromUtf8(control.caption);
    switch (control.kind) {
    case PlainKind::Frame: {
        auto* frame = new QFrame;
        frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
        return frame;
    }
    case PlainKind::RadioButton:
        return new QRadioButton(caption);
    case PlainKind::CheckBox:
        return new QCheckBox(caption);
    case PlainKind::Label:
        return new QLabel(caption);
    case PlainKind::LineEdit:
        return new QLineEdit;
    case PlainKind::PushButton:
        return new QPushButton(caption);
    }
    return nullptr;
}

void AddToGrid(QGridLayout* grid, QWidget* widget) {
    const int placed = grid->count();
    grid->addWidget(widget, placed / 2, placed % 2);
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Baseline window"));
    auto* windowGrid = new QGridLayout(&window);
    // Each frame's grid, by the frame's row; the table lists every frame before what it holds.
    std::vector<QGridLayout*> grids(kPlainControls.size(), nullptr);
    for (std::size_t i = 0; i < kPlainControls.size(); ++i) {
        const PlainControl& control = kPlainControls.at(i);
        QWidget* widget = Create(control);
        AddToGrid(control.container < 0 ? windowGrid : grids.at(static_cast<std::size_t>(control.container)), widget);
        if (control.kind == PlainKind::Frame) {
            grids.at(i) = new QGridLayout(widget);
        }
    }
    window.resize(kPlainWindowTwips.width / kTwipsPerPixel, kPlainWindowTwips.height / kTwipsPerPixel);
    window.show();
    return QApplication::exec();
}
