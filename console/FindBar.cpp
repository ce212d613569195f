#include "FindBar.h"

#include "TerminalScreen.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace vantrel {

FindBar::FindBar(TerminalScreen* screen, QWidget* parent) : QWidget(parent), m_screen(screen) {
    setObjectName(QStringLiteral("ConsoleFindBar"));
    auto* label = new QLabel(QStringLiteral("Find:"), this);
    m_field = new QLineEdit(this);
    m_field->setObjectName(QStringLiteral("ConsoleFindText"));
    m_field->installEventFilter(this);
    label->setBuddy(m_field);
    auto* previous = new QPushButton(QStringLiteral("&Previous"), this);
    previous->setObjectName(QStringLiteral("ConsoleFindPrevious"));
    auto* next = new QPushButton(QStringLiteral("&Next"), this);
    next->setObjectName(QStringLiteral("ConsoleFindNext"));
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("ConsoleFindStatus"));
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("ConsoleFindClose"));
    for (QPushButton* button : {previous, next, close}) {
        button->setAutoDefault(false);
    }
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_field, 1);
    layout->addWidget(previous);
    layout->addWidget(next);
    layout->addWidget(m_status, 1);
    layout->addWidget(close);
    connect(m_field, &QLineEdit::textEdited, this, [this] { Find(From::Here); });
    connect(previous, &QPushButton::clicked, this, &FindBar::FindPrevious);
    connect(next, &QPushButton::clicked, this, &FindBar::FindNext);
    connect(close, &QPushButton::clicked, this, &FindBar::Close);
}

void FindBar::Open() {
    show();
    m_field->setFocus(Qt::ShortcutFocusReason);
    m_field->selectAll();
}

void FindBar::FindNext() {
    Find(From::After);
}

void FindBar::FindPrevious() {
    Find(From::Before);
}

bool FindBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_field && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            Find(key->modifiers().testFlag(Qt::ShiftModifier) ? From::Before : From::After);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FindBar::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        Close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void FindBar::Find(From from) {
    const QString needle = m_field->text();
    m_status->clear();
    if (needle.isEmpty()) {
        return;
    }
    TerminalViewport& view = m_screen->View();
    const QString text = m_screen->Text();
    const bool shown = view.Selection().HasSelection();
    const qsizetype start = view.SelectionOffsets().first;
    qsizetype at = -1;
    if (from == From::Before) {
        at = shown && start > 0 ? text.lastIndexOf(needle, start - 1, Qt::CaseInsensitive) : -1;
        if (at < 0) {
            at = text.lastIndexOf(needle, text.size(), Qt::CaseInsensitive);
            m_status->setText(shown && at >= 0 ? QStringLiteral("Continued from the bottom") : QString());
        }
    } else {
        const qsizetype origin = !shown ? 0 : from == From::Here ? start : start + 1;
        at = text.indexOf(needle, origin, Qt::CaseInsensitive);
        if (at < 0) {
            at = text.indexOf(needle, 0, Qt::CaseInsensitive);
            m_status->setText(origin > 0 && at >= 0 ? QStringLiteral("Continued from the top") : QString());
        }
    }
    if (at < 0) {
        m_status->setText(QStringLiteral("Not found"));
        view.SelectOffsets(0, 0);
        return;
    }
    view.SelectOffsets(static_cast<int>(at), static_cast<int>(at + needle.size()));
    view.ShowOffset(static_cast<int>(at));
}

void FindBar::Close() {
    hide();
    m_screen->setFocus(Qt::OtherFocusReason);
}

} // namespace vantrel
