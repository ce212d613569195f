#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;

namespace vantrel {

class TerminalScreen;

// A bar that finds text in a terminal's scrollback and screen, whatever the case: the match is selected and
// scrolled into view; the search wraps around the text, and the bar says so, or that nothing was found.
// Typing searches on from the match shown; Enter and "Next" find the next match, Shift+Enter and
// "Previous" the one before. Escape closes the bar and gives the focus back to the terminal.
class FindBar final : public QWidget {
    Q_OBJECT

public:
    explicit FindBar(TerminalScreen* screen, QWidget* parent = nullptr);

    // Shows the bar with the focus in its field, the text there selected to be typed over.
    void Open();
    void FindNext();
    void FindPrevious();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Where a search starts: at the match shown (as typing goes on), after it, or before it.
    enum class From { Here, After, Before };

    void Find(From from);
    void Close();

    TerminalScreen* m_screen;
    QLineEdit* m_field{};
    QLabel* m_status{};
};

} // namespace vantrel
