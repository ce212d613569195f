#include "Form1.h"
#include "UserSettingsStore.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral(VANTREL_APP_ID)); // ties the window to its menu entry
    vantrel::Form1 window(std::make_unique<vantrel::UserSettingsStore>());
    window.show();
    return QApplication::exec();
}
