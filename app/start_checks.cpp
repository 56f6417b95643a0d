#include "app/start_checks.h"

#include "store/folder_lock.h"
#include "ui/services.h"

namespace lockmere {

bool HardeningHeld(bool hardened, MessageBoxes& boxes) {
    if (hardened) return true;
    boxes.Show(QStringLiteral("Lockmere could not stop the system from writing its memory to "
                              "disk after a crash, where your passwords could be read.\r"
                              "The program ends without opening your data."),
               kMessageCenterTitle, MsgButtons::Ok, MsgIcon::Critical);
    return false;
}

bool FolderIsOurs(const FolderLock& lock, const std::filesystem::path& folder,
                  MessageBoxes& boxes) {
    switch (lock.Result()) {
    case FolderLock::Outcome::Taken:
        TidyProgramFolder(folder);
        return true;
    case FolderLock::Outcome::Busy:
        ShowExclamation(boxes, QStringLiteral("Lockmere is already running from this folder."));
        return false;
    case FolderLock::Outcome::NotAFile:
    case FolderLock::Outcome::Failed:
        break;
    }
    boxes.Show(QStringLiteral("Lockmere could not lock its folder (failure code %1), so another "
                              "copy of the program could write there at the same time.\r"
                              "The program ends without opening your data.")
                   .arg(lock.Code()),
               kMessageCenterTitle, MsgButtons::Ok, MsgIcon::Critical);
    return false;
}

}  // namespace lockmere
