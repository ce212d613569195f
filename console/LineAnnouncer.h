#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <functional>

class QAccessibleTextInsertEvent;

namespace vantrel {

class TerminalScreen;

// What a screen reader hears of a terminal while a program writes to it: each line once the cursor has left
// it, as text inserted into the terminal's text. At most one announcement in kIntervalMs, each with at most
// kLinesPerAnnouncement lines and then "N more lines" for the rest, so that a flood does not bury the reader.
// The line the cursor is on is said only when it shows a percentage that moved by kProgressStep (a progress
// line redrawn with carriage returns), or when the run ends. Blank lines are not said.
class LineAnnouncer final : public QObject {
    Q_OBJECT

public:
    static constexpr int kIntervalMs = 400;
    static constexpr int kLinesPerAnnouncement = 3;
    static constexpr int kProgressStep = 10;

    explicit LineAnnouncer(TerminalScreen* screen);

    // The program wrote something: what it completed is said once the interval since the last announcement
    // has passed. With no assistive technology listening nothing is said, nor kept to be said later.
    void Heard();
    // The run has ended: what is left is said, the console's own last line with it.
    void Flush();
    // The screen was cleared: nothing of it has been said.
    void Restart();
    // Says now what is pending, as the interval's end does.
    void Announce();

private:
    void Schedule();
    void Say(bool wholeCursorLine);
    [[nodiscard]] bool IsProgressStep(std::uint64_t line, const QString& text) const;

    TerminalScreen* m_screen;
    QTimer m_timer;
    QElapsedTimer m_sinceLast;
    std::uint64_t m_next{}; // the first line not yet said, numbered for good
    std::uint64_t m_progressLine{~std::uint64_t{}};
    QString m_progressText; // what was said of the progress line
    bool m_flushPending{false};
};

// Where announcements go: to assistive technology, when one listens. Tests listen here instead, as they
// answer message boxes (Qt's offscreen platform has no accessibility bridge to turn on).
struct AnnouncementListener final {
    std::function<bool()> listening;
    std::function<void(QAccessibleTextInsertEvent& event)> hear;
};

// Replaces the listener and returns the one in place; an empty one restores assistive technology.
AnnouncementListener SetAnnouncementListener(AnnouncementListener listener);

} // namespace vantrel
