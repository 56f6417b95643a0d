#include <QApplication>

#include "app/desktop_identity.h"
#include "app/main_screen.h"
#include "app/start_checks.h"
#include "store/folder_lock.h"
#include "store/freed_memory.h"
#include "store/harden.h"
#include "ui/context.h"
#include "ui/file_path.h"
#include "ui/first_paint.h"
#include "ui/qt_services.h"

int main(int argc, char* argv[]) {
#ifdef LOCKMERE_HARDEN
    // Before anything holds a password.
    const bool hardened = lockmere::HardenProcess();
#else
    const bool hardened = true;
#endif
    // The program takes no command line: Qt sees the program's name alone.
    int qtArgc = argc > 0 ? 1 : 0;
    QApplication application(qtArgc, argv);
    lockmere::ApplyDesktopIdentity();

    lockmere::QtServices services;
    if (!lockmere::HardeningHeld(hardened, services.Boxes)) return 1;
    // The data files live beside the program; no other copy may write them.
    const auto folder = lockmere::ToPath(QCoreApplication::applicationDirPath());
    const lockmere::FolderLock lock(folder);
    if (!lockmere::FolderIsOurs(lock, folder, services.Boxes)) return 1;

    lockmere::Context context(folder, services.Boxes, services.SystemClipboard, services.Shell,
                              services.DriveVolumes, services.Speaker, *services.SessionLock);
    context.Windows.Open<lockmere::MainScreen>(context)->ShowModeless();
    // No secret exists before the login, so the start-up goes unslowed.
    lockmere::AfterFirstPaint(&application, lockmere::ClearFreedMemory);
    return application.exec();
}
