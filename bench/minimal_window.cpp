// The floor for start-up and memory: the least a Qt Widgets program does to show an empty window of the
// main window's size.
#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Baseline window"));
    window.resize(481, 442);
    window.show();
    return QApplication::exec();
}
