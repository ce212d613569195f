#include "AccessibleRoles.h"

#include "Form1.h"

#include <QAccessibleWidget>
#include <QFrame>

namespace vantrel {

namespace {

QAccessibleInterface* RoleFor(const QString& className, QObject* object) {
    Q_UNUSED(className);
    auto* widget = qobject_cast<QWidget*>(object);
    if (widget == nullptr) {
        return nullptr;
    }
    // Exact classes only: widgets derived from these (labels, lists, the drop-down list's popup) keep theirs.
    const QMetaObject* type = object->metaObject();
    if (type == &Form1::staticMetaObject) {
        return new QAccessibleWidget(widget, QAccessible::Window);
    }
    if (type == &QFrame::staticMetaObject) {
        return new QAccessibleWidget(widget, QAccessible::Grouping);
    }
    return nullptr;
}

} // namespace

void InstallAccessibleRoles() {
    static const bool installed = (QAccessible::installFactory(RoleFor), true);
    Q_UNUSED(installed);
}

} // namespace vantrel
