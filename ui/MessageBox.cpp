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

} // namespace vantrel
