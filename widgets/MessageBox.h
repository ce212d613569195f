#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace vantrel {

enum class MessageIcon { None, Critical, Warning };

// One message box with a single OK button.
struct Message final {
    QString text;
    QString title;
    MessageIcon icon{MessageIcon::None};
};

// Every message box of the front end goes through here, so tests can answer them without a modal loop.
using MessageBoxHandler = std::function<void(QWidget* parent, const Message& message)>;

void ShowMessage(QWidget* parent, const Message& message);

// Replaces how messages are shown and returns the handler that was in place; an empty handler restores
// the real message box.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

// A question with the buttons "Yes" and "No", "No" the default; the answer is true for "Yes".
struct Question final {
    QString text;
    QString title;
};

// Every question goes through here, as messages do.
using QuestionHandler = std::function<bool(QWidget* parent, const Question& question)>;

bool Ask(QWidget* parent, const Question& question);

// Replaces how questions are asked and returns the handler that was in place; an empty handler restores
// the real message box.
QuestionHandler SetQuestionHandler(QuestionHandler handler);

} // namespace vantrel
