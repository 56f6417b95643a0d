#include <QApplication>
#include <QFile>
#include <filesystem>

#include "app/harden.h"
#include "app/main_screen.h"
#include "ui/context.h"
#include "ui/qt_services.h"

namespace {

std::filesystem::path ProgramFolder() {
    const QString folder = QCoreApplication::applicationDirPath();
#ifdef _WIN32
    return std::filesystem::path(folder.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(folder).toStdString());
#endif
}

}  // namespace

int main(int argc, char* argv[]) {
#ifdef LOCKMERE_HARDEN
    // Before anything holds a password.
    lockmere::HardenProcess();
#endif
    // The program takes no command line: Qt sees the program's name alone.
    int qtArgc = argc > 0 ? 1 : 0;
    QApplication application(qtArgc, argv);

    lockmere::QtServices services;
    lockmere::Context context(ProgramFolder(), services.Boxes, services.ClipboardService,
                              services.Shell, services.DriveVolumes);
    context.Windows.Open<lockmere::MainScreen>(context)->ShowModeless();
    return application.exec();
}
