#pragma once

#include <QAccessibleTextInterface>
#include <QAccessibleWidget>

namespace vantrel {

class TerminalScreen;
class TerminalViewport;

// What a screen reader gets of a terminal screen: its scrollback and screen as one read-only text, with the
// cursor and the selection, through Qt's accessibility interfaces.
class TerminalAccessible final : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit TerminalAccessible(TerminalScreen* screen);

    [[nodiscard]] QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    [[nodiscard]] int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    [[nodiscard]] int cursorPosition() const override;
    void setCursorPosition(int position) override;
    [[nodiscard]] QString text(int startOffset, int endOffset) const override;
    [[nodiscard]] int characterCount() const override;
    [[nodiscard]] QRect characterRect(int offset) const override;
    [[nodiscard]] int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

    // The text interface also answers for the whole widget's text.
    [[nodiscard]] QString text(QAccessible::Text type) const override;

private:
    [[nodiscard]] TerminalScreen* Screen() const;
    // What shows and what is selected: what a reader's offsets and moves go to.
    [[nodiscard]] TerminalViewport& View() const;
};

// Makes Qt's accessibility use TerminalAccessible for every TerminalScreen; installs it once.
void InstallTerminalAccessibleFactory();

} // namespace vantrel
