#pragma once

#include <QFont>
#include <QStringList>

#include <vector>

class QWidget;

namespace vantrel {

// The fonts of a window, regular and bold, for the scale it is drawn at.
struct WindowFonts final {
    QFont regular;
    QFont bold;
    // Without the bitmap face to measure against, the built controls choose their face by their captions
    // (FitFontsToCaptions).
    bool fitToControls = false;
};

// "MS Sans Serif" 8.25 point where its bitmap has a strike for the pixel size the window draws text at; elsewhere
// a scalable face at 8.25 point, narrowed so that no caption of `captions` is wider than "MS Sans Serif" draws it
// at that scale. Bold text (the bitmap face has no bold): beside the bitmap face, fonts-wine's bitmap bold;
// elsewhere the first scalable face whose glyphs, drawn at the window's scale, read bold beside the regular
// text, narrowed to the bitmap bold's widths. Without the bitmap face (always on Windows) the scalable faces are
// left as they are, for FitFontsToCaptions.
WindowFonts WindowFontsFor(const QWidget* window, const QStringList& captions);

// Gives the window and its controls, regular and bold apart, the scalable faces that need narrowing least for
// every caption to fit its control, so narrowed, of those pairs whose bold glyphs read bold beside the regular
// ones; where no face fits even condensed, the first face as it is.
void FitFontsToCaptions(QWidget* window, const std::vector<QWidget*>& controls);

} // namespace vantrel
