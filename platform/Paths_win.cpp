#include "Paths.h"

namespace vantrel {

Qt::CaseSensitivity PathCase() {
    return Qt::CaseInsensitive;
}

bool UrlHostNamesShare() {
    return true;
}

} // namespace vantrel
