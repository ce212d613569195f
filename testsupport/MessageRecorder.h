#pragma once

#include "MessageBox.h"

#include <QList>

#include <functional>
#include <utility>

// Keeps every message box that the code under test shows, instead of showing it; `alsoDo` runs as each one
// is shown, for a test that looks at the state the front end is in at that moment.
class MessageRecorder final {
public:
    explicit MessageRecorder(std::function<void(const vantrel::Message&)> alsoDo = {})
        : m_alsoDo(std::move(alsoDo)),
          m_previous(vantrel::SetMessageBoxHandler([this](QWidget* /*parent*/, const vantrel::Message& message) {
              messages.append(message);
              if (m_alsoDo) {
                  m_alsoDo(message);
              }
          })) {}
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;
    MessageRecorder(MessageRecorder&&) = delete;
    MessageRecorder& operator=(MessageRecorder&&) = delete;
    ~MessageRecorder() { vantrel::SetMessageBoxHandler(m_previous); }

    QList<vantrel::Message> messages;

private:
    std::function<void(const vantrel::Message&)> m_alsoDo;
    vantrel::MessageBoxHandler m_previous;
};

// Answers every question with `answer` and keeps the questions, instead of asking them.
class QuestionAnswerer final {
public:
    explicit QuestionAnswerer(bool answer)
        : m_previous(
              vantrel::SetQuestionHandler([this, answer](QWidget* /*parent*/, const vantrel::Question& question) {
                  questions.append(question);
                  return answer;
              })) {}
    QuestionAnswerer(const QuestionAnswerer&) = delete;
    QuestionAnswerer& operator=(const QuestionAnswerer&) = delete;
    QuestionAnswerer(QuestionAnswerer&&) = delete;
    QuestionAnswerer& operator=(QuestionAnswerer&&) = delete;
    ~QuestionAnswerer() { vantrel::SetQuestionHandler(m_previous); }

    QList<vantrel::Question> questions;

private:
    vantrel::QuestionHandler m_previous;
};
