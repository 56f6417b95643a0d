// The main window's widgets, captions and fonts at their places (captions
// at the sizes the program fits them to), and the program's window icon,
// with no logic: no data files, no window layer, no caption fitting.
// --no-icon leaves the icon out. Lockmere's
// start-up is measured against it (bench/startup.py).
#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QWidget>

namespace {

QRect Twips(int left, int top, int width, int height) {
    return QRect(left / 15, top / 15, width / 15, height / 15);
}

QFont Sans(double points, bool bold = false) {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (!QApplication::arguments().contains(QStringLiteral("--no-icon"))) {
        QIcon icon;
        for (int size : {16, 32, 48, 64, 128, 256})
            icon.addFile(QStringLiteral(":/icons/lockmere-%1.png").arg(size), QSize(size, size));
        QApplication::setWindowIcon(icon);
    }
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Liberation Sans")});

    QWidget window;
    window.setWindowTitle(QStringLiteral(" Lockmere"));
    window.setFont(Sans(8.25));
    window.resize(7440 / 15 - 8, 4695 / 15 - 31);

    auto* bar = new QMenuBar(&window);
    bar->setNativeMenuBar(false);
    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    for (const char* item :
         {"&Backup Database", "&Restore Databases", "&Logout", "&Save Database", "&Exit"})
        file->addAction(QString::fromLatin1(item));
    QMenu* edit = bar->addMenu(QStringLiteral("&Edit"));
    for (const char* item :
         {"&Add New Password Entry", "&Delete Selected Record", "&Edit Selected Record"})
        edit->addAction(QString::fromLatin1(item));
    bar->addMenu(QStringLiteral("&Help"))->addAction(QStringLiteral("&About..."));
    const int top = bar->sizeHint().height();
    bar->setGeometry(0, 0, window.width(), top);

    auto* client = new QWidget(&window);
    client->setGeometry(0, top, window.width(), window.height() - top);
    QPalette yellow = window.palette();
    yellow.setColor(QPalette::Base, QColor(255, 255, 192));
    auto label = [&](const char* caption, QRect at, double points = 9.75) {
        auto* created = new QLabel(QString::fromLatin1(caption), client);
        created->setFont(Sans(points));
        created->setGeometry(at);
    };
    auto entry = [&](QWidget* box, QRect at) {
        box->setParent(client);
        box->setFont(Sans(9.75));
        box->setPalette(yellow);
        box->setGeometry(at);
    };
    label("Enter Your User ID And Master Password. Then click Validate.",
          Twips(105, 105, 5655, 255));
    label("User ID", Twips(120, 540, 810, 255));
    label("Password", Twips(3285, 540, 975, 255));
    // The size the program fits this caption to in its box.
    label("Account Name or Service", Twips(210, 1170, 2115, 240), 9.25);
    for (QRect at : {Twips(915, 480, 2115, 375), Twips(4335, 480, 1395, 375)}) {
        auto* box = new QLineEdit;
        box->setEchoMode(QLineEdit::Password);
        entry(box, at);
    }
    entry(new QListWidget, Twips(150, 1470, 6855, 2220));
    (new QPushButton(QStringLiteral("Validate"), client))->setGeometry(Twips(6120, 510, 855, 375));
    (new QPushButton(QStringLiteral("Hide Data"), client))->setGeometry(Twips(5775, 30, 1200, 375));

    window.show();
    return QApplication::exec();
}
