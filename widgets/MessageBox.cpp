#include "MessageBox.h"

#include <QMessageBox>

#include <utility>

namespace vantrel {

namespace {

void ShowRealMessageBox(QWidget* parent, const Message& message) {
    const QMessageBox::Icon icon = message.icon == MessageIcon::Critical  ? QMessageBox::Critical
                                   : message.icon == MessageIcon::Warning ? QMessageBox::Warning
                                                                          : QMessageBox::NoIcon;
    QMessageBox box(icon, message.title, message.text, QMessageBox::Ok, parent);
    box.exec();
}

bool AskWithRealMessageBox(QWidget* parent, const Question& question) {
    QMessageBox box(QMessageBox::Warning, question.title, question.text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

QuestionHandler& CurrentQuestionHandler() {
    static QuestionHandler handler{AskWithRealMessageBox};
    return handler;
}

MessageBoxHandler& CurrentHandler() {
    static MessageBoxHandler handler{ShowRealMessageBox};
    return handler;
}

} // namespace

void ShowMessage(QWidget* parent, const Message& message) {
    CurrentHandler()(parent, message);
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
    return std::exchange(CurrentHandler(), handler ? std::move(handler) : MessageBoxHandler{ShowRealMessageBox});
}

bool Ask(QWidget* parent, const Question& question) {
    return CurrentQuestionHandler()(parent, question);
}

QuestionHandler SetQuestionHandler(QuestionHandler handler) {
    return std::exchange(CurrentQuestionHandler(),
                         handler ? std::move(handler) : QuestionHandler{AskWithRealMessageBox});
}

} // namespace vantrel
