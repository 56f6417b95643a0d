#include <QApplication>

#include "app/desktop_identity.h"
#include "app/harden.h"
#include "app/main_screen.h"
#include "ui/context.h"
#include "ui/file_path.h"
#include "ui/qt_services.h"

int main(int argc, char* argv[]) {
#ifdef LOCKMERE_HARDEN
    // Before anything holds a password.
    lockmere::HardenProcess();
#endif
    // The program takes no command line: Qt sees the program's name alone.
    int qtArgc = argc > 0 ? 1 : 0;
    QApplication application(qtArgc, argv);
    lockmere::ApplyDesktopIdentity();

    lockmere::QtServices services;
    // The data files live beside the program.
    lockmere::Context context(lockmere::ToPath(QCoreApplication::applicationDirPath()),
                              services.Boxes, services.ClipboardService, services.Shell,
                              services.DriveVolumes);
    context.Windows.Open<lockmere::MainScreen>(context)->ShowModeless();
    return application.exec();
}
