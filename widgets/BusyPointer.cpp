#include "BusyPointer.h"

#include <QCursor>
#include <QGuiApplication>

namespace vantrel {

BusyPointer::BusyPointer() {
    // The wait shape, not the busy-but-usable one: the windows take no input meanwhile.
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

BusyPointer::~BusyPointer() {
    QGuiApplication::restoreOverrideCursor();
}

} // namespace vantrel
