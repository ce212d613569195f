#include "FontWarmUp.h"
#include "Form1.h"
#include "SessionBusWarmUp.h"
#include "UserSettingsStore.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    vantrel::FontWarmUp fonts;
    QApplication app(argc, argv);
    const vantrel::SessionBusWarmUp bus;
    fonts.Wait();
    QGuiApplication::setDesktopFileName(QStringLiteral(VANTREL_APP_ID)); // ties the window to its menu entry
    vantrel::Form1 window(std::make_unique<vantrel::UserSettingsStore>());
    window.show();
    return QApplication::exec();
}
