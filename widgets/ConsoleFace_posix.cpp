#include "ConsoleFace.h"

#include <QFontDatabase>

namespace vantrel {

QFont ConsoleFace() {
    return QFontDatabase::systemFont(QFontDatabase::FixedFont);
}

} // namespace vantrel
