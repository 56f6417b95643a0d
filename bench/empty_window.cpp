// An empty window of the main window's size and caption: what any Qt
// program pays to show itself, against which the real start-up is measured.
// With --label it also shows one line of text, which is what loads the fonts.
#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral(" Lockmere"));
    window.resize(7440 / 15, 4695 / 15);
    if (QApplication::arguments().contains(QStringLiteral("--label")))
        (new QLabel(QStringLiteral("Enter Your User ID And Master Password."), &window))
            ->move(7, 7);
    window.show();
    return QApplication::exec();
}
