#include "Paths.h"

namespace vantrel {

Qt::CaseSensitivity PathCase() {
    return Qt::CaseSensitive;
}

bool UrlHostNamesShare() {
    return false;
}

} // namespace vantrel
