// An empty window of the main window's size and caption: what any Qt
// program pays to show itself, against which the real start-up is measured.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral(" Lockmere"));
    window.resize(7440 / 15, 4695 / 15);
    window.show();
    return QApplication::exec();
}
