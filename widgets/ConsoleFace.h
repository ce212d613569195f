#pragma once

#include <QFont>

namespace vantrel {

// The fixed-pitch face NodeBuilder's console draws its cells in; each platform's unit decides it. POSIX: the
// desktop's fixed-pitch face. Windows: "Consolas", then "Courier New", whichever is installed first, else the
// first fixed-pitch face the system offers (wine has neither).
QFont ConsoleFace();

} // namespace vantrel
