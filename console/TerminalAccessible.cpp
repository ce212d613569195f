#include "TerminalAccessible.h"

#include "TerminalScreen.h"
#include "TerminalText.h"

namespace vantrel {

TerminalAccessible::TerminalAccessible(TerminalScreen* screen) : QAccessibleWidget(screen, QAccessible::Terminal) {}

TerminalScreen* TerminalAccessible::Screen() const {
    return static_cast<TerminalScreen*>(widget());
}

TerminalViewport& TerminalAccessible::View() const {
    return Screen()->View();
}

QAccessible::State TerminalAccessible::state() const {
    QAccessible::State state = QAccessibleWidget::state();
    state.readOnly = true;
    state.multiLine = true;
    state.selectableText = true;
    return state;
}

void* TerminalAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TextInterface) {
        return static_cast<QAccessibleTextInterface*>(this);
    }
    return QAccessibleWidget::interface_cast(type);
}

void TerminalAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const {
    *startOffset = *endOffset = 0;
    if (selectionIndex == 0 && View().Selection().HasSelection()) {
        std::tie(*startOffset, *endOffset) = View().SelectionOffsets();
    }
}

int TerminalAccessible::selectionCount() const {
    return View().Selection().HasSelection() ? 1 : 0;
}

void TerminalAccessible::addSelection(int startOffset, int endOffset) {
    View().SelectOffsets(startOffset, endOffset);
}

void TerminalAccessible::removeSelection(int selectionIndex) {
    if (selectionIndex == 0) {
        View().SelectOffsets(0, 0);
    }
}

void TerminalAccessible::setSelection(int selectionIndex, int startOffset, int endOffset) {
    if (selectionIndex == 0) {
        View().SelectOffsets(startOffset, endOffset);
    }
}

int TerminalAccessible::cursorPosition() const {
    return CursorOffset(View().Model());
}

void TerminalAccessible::setCursorPosition(int /*position*/) {
    // The program on the terminal places the cursor; a reader cannot move it.
}

QString TerminalAccessible::text(int startOffset, int endOffset) const {
    return Screen()->Text().mid(startOffset, endOffset - startOffset);
}

int TerminalAccessible::characterCount() const {
    return static_cast<int>(Screen()->Text().size());
}

QRect TerminalAccessible::characterRect(int offset) const {
    const QRect rect = Screen()->CellRect(PlaceOf(View().Model(), offset));
    return {Screen()->mapToGlobal(rect.topLeft()), rect.size()};
}

int TerminalAccessible::offsetAtPoint(const QPoint& point) const {
    return OffsetOf(View().Model(), Screen()->PlaceAt(Screen()->mapFromGlobal(point)));
}

void TerminalAccessible::scrollToSubstring(int startIndex, int /*endIndex*/) {
    View().ShowOffset(startIndex);
}

QString TerminalAccessible::attributes(int offset, int* startOffset, int* endOffset) const {
    *startOffset = *endOffset = offset;
    return {};
}

QString TerminalAccessible::text(QAccessible::Text type) const {
    if (type == QAccessible::Value) {
        return Screen()->Text();
    }
    return QAccessibleWidget::text(type);
}

void InstallTerminalAccessibleFactory() {
    static const bool installed = [] {
        QAccessible::installFactory([](const QString& className, QObject* object) -> QAccessibleInterface* {
            if (className == QLatin1String(TerminalScreen::staticMetaObject.className()) && object->isWidgetType()) {
                return new TerminalAccessible(static_cast<TerminalScreen*>(object));
            }
            return nullptr;
        });
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace vantrel
