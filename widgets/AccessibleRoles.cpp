#include "AccessibleRoles.h"

#include <QAccessibleWidget>
#include <QFrame>

namespace vantrel {

namespace {

// The classes of the main windows, as InstallAccessibleRoles was told them.
QList<const QMetaObject*>& WindowTypes() {
    static QList<const QMetaObject*> types;
    return types;
}

QAccessibleInterface* RoleFor(const QString& className, QObject* object) {
    Q_UNUSED(className);
    auto* widget = qobject_cast<QWidget*>(object);
    if (widget == nullptr) {
        return nullptr;
    }
    // Exact classes only: widgets derived from these (labels, lists, the drop-down list's popup) keep theirs.
    const QMetaObject* type = object->metaObject();
    if (WindowTypes().contains(type)) {
        return new QAccessibleWidget(widget, QAccessible::Window);
    }
    if (type == &QFrame::staticMetaObject) {
        return new QAccessibleWidget(widget, QAccessible::Grouping);
    }
    return nullptr;
}

} // namespace

void InstallAccessibleRoles(const QMetaObject* windowType) {
    static const bool installed = (QAccessible::installFactory(RoleFor), true);
    Q_UNUSED(installed);
    if (windowType != nullptr && !WindowTypes().contains(windowType)) {
        WindowTypes().append(windowType);
    }
}

} // namespace vantrel
