// The floor for start-up and memory: the least a Qt Widgets program does to show an empty window of the
// main window's size. Built a second time with VANTREL_WITH_CAPTION: the same window with one caption, the
// least a program that draws text does (the toolkit then reads the font configuration and loads a face).
#include <QApplication>
#include <QWidget>
#ifdef VANTREL_WITH_CAPTION
#include <QLabel>
#endif

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Baseline window"));
    window.resize(481, 442);
#ifdef VANTREL_WITH_CAPTION
    QLabel caption(QStringLiteral("Input file"), &window);
#endif
    window.show();
    return QApplication::exec();
}
