#include "TerminalStrings.h"

#include <QList>

namespace vantrel {

QString FromUtf32(std::u32string_view text) {
    return QString::fromUcs4(text.data(), static_cast<qsizetype>(text.size()));
}

std::u32string ToUtf32(const QString& text) {
    const QList<uint> ucs4 = text.toUcs4();
    return {ucs4.begin(), ucs4.end()};
}

} // namespace vantrel
