#pragma once

#include <QFont>

#include <optional>

namespace vantrel {

// The design's font: "MS Sans Serif", 8.25 point, drawn at 96 dots per inch.
inline constexpr qreal kPointSize = 8.25;
inline constexpr qreal kStandardDpi = 96.0;

// The faces of the design's era where the system draws them pixel for pixel; each platform's unit has its own.

// Makes the faces that fonts-wine ships known to the toolkit, once; Windows has its own faces.
void EnsureWineFontsLoaded();

// The bitmap face at exactly the given pixel size, when it has a strike of that size. Never on Windows: Qt's
// font database there lists a bitmap face's strikes by cell height but asks the system for letter height, so
// it draws the next larger strike (16 pixels for 13) while reporting the size asked for.
std::optional<QFont> BitmapStrike(int pixelSize);

// The bold of the bitmap face's era, at 96 dpi: fonts-wine's "Tahoma" Bold carries bold bitmaps of 9 to 16
// pixels over regular outlines, and FreeType draws such bitmaps only for text drawn without antialiasing (Qt
// then asks for no outlines). Two-pixel stems, no grey, the bitmap face's letter height. Never on Windows,
// where the faces are fitted to the controls.
std::optional<QFont> BitmapBold();

} // namespace vantrel
