#include "LineAnnouncer.h"

#include "TerminalScreen.h"
#include "TerminalStrings.h"
#include "TerminalText.h"

#include <QAccessible>
#include <QStringList>

#include <algorithm>
#include <optional>
#include <utility>

namespace vantrel {

namespace {

AnnouncementListener AssistiveTechnology() {
    return {[] { return QAccessible::isActive(); },
            [](QAccessibleTextInsertEvent& event) { QAccessible::updateAccessibility(&event); }};
}

AnnouncementListener& CurrentListener() {
    static AnnouncementListener listener = AssistiveTechnology();
    return listener;
}

// A line numbered for good, empty once it has left the scrollback.
QString TextOfKeptLine(const TerminalModel& model, std::uint64_t line) {
    if (line < model.Dropped() || line - model.Dropped() >= model.LineCount()) {
        return {};
    }
    return FromUtf32(TextOfLine(model, static_cast<std::size_t>(line - model.Dropped())));
}

// The number just before the line's last "%", as a progress line shows how far it has come.
std::optional<int> Percentage(const QString& text) {
    const qsizetype sign = text.lastIndexOf(u'%');
    qsizetype start = sign;
    while (start > 0 && text.at(start - 1).isDigit()) {
        --start;
    }
    bool number = false;
    const int value = text.mid(start, sign - start).toInt(&number);
    return sign > 0 && number ? std::optional<int>(value) : std::nullopt;
}

} // namespace

AnnouncementListener SetAnnouncementListener(AnnouncementListener listener) {
    if (!listener.listening || !listener.hear) {
        listener = AssistiveTechnology();
    }
    return std::exchange(CurrentListener(), std::move(listener));
}

LineAnnouncer::LineAnnouncer(TerminalScreen* screen) : QObject(screen), m_screen(screen) {
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        if (m_sinceLast.isValid() && m_sinceLast.elapsed() < kIntervalMs) {
            Schedule();
        } else {
            Announce();
        }
    });
}

void LineAnnouncer::Heard() {
    if (!CurrentListener().listening()) {
        m_next = std::max(m_next, CursorLine(m_screen->View().Model()));
        return;
    }
    Schedule();
}

void LineAnnouncer::Flush() {
    m_flushPending = true;
    Schedule();
}

void LineAnnouncer::Restart() {
    m_timer.stop();
    m_next = 0;
    m_progressLine = ~std::uint64_t{};
    m_progressText.clear();
    m_flushPending = false;
}

void LineAnnouncer::Announce() {
    Say(std::exchange(m_flushPending, false));
}

void LineAnnouncer::Schedule() {
    if (m_timer.isActive()) {
        return;
    }
    const qint64 wait = m_sinceLast.isValid() ? std::max<qint64>(0, kIntervalMs - m_sinceLast.elapsed()) : 0;
    m_timer.start(static_cast<int>(wait));
}

bool LineAnnouncer::IsProgressStep(std::uint64_t line, const QString& text) const {
    const std::optional<int> percentage = Percentage(text);
    if (!percentage) {
        return false;
    }
    const std::optional<int> said = line == m_progressLine ? Percentage(m_progressText) : std::nullopt;
    return !said || *said / kProgressStep != *percentage / kProgressStep;
}

void LineAnnouncer::Say(bool wholeCursorLine) {
    m_timer.stop();
    const TerminalModel& model = m_screen->View().Model();
    const std::uint64_t cursorLine = CursorLine(model);
    const std::uint64_t first = std::max(m_next, model.Dropped());
    const std::uint64_t end = std::max(m_next, wholeCursorLine ? cursorLine + 1 : cursorLine);
    if (!CurrentListener().listening()) {
        m_next = end;
        return;
    }
    QStringList said;
    std::uint64_t firstSaid = cursorLine;
    // Lines that left the scrollback before their turn count among the rest.
    std::uint64_t more = first - m_next;
    for (std::uint64_t line = first; line < cursorLine; ++line) {
        const QString text = TextOfKeptLine(model, line);
        if (text.isEmpty() || (line == m_progressLine && text == m_progressText)) {
            continue;
        }
        if (said.size() < kLinesPerAnnouncement) {
            firstSaid = said.isEmpty() ? line : firstSaid;
            said.append(text);
        } else {
            ++more;
        }
    }
    if (more > 0) {
        said.append(more == 1 ? QStringLiteral("1 more line") : QStringLiteral("%1 more lines").arg(more));
    }
    const QString current = cursorLine >= m_next ? TextOfKeptLine(model, cursorLine) : QString();
    if (!current.isEmpty() && (wholeCursorLine || IsProgressStep(cursorLine, current))) {
        firstSaid = said.isEmpty() ? cursorLine : firstSaid;
        said.append(current);
        m_progressLine = cursorLine;
        m_progressText = current;
    }
    m_next = end;
    if (said.isEmpty()) {
        return;
    }
    const int position = OffsetOf(model, {firstSaid, 0});
    QAccessibleTextInsertEvent event(m_screen, position, said.join(u'\n'));
    CurrentListener().hear(event);
    m_sinceLast.restart();
}

} // namespace vantrel
