#include "BitmapFaces.h"

namespace vantrel {

void EnsureWineFontsLoaded() {} // Windows has its own faces

std::optional<QFont> BitmapStrike(int /*pixelSize*/) {
    return std::nullopt;
}

std::optional<QFont> BitmapBold() {
    return std::nullopt;
}

} // namespace vantrel
