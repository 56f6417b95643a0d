#include "backup/backup_commands.h"

#include "backup/backup_form.h"
#include "ui/context.h"

namespace lockmere {

namespace {

// Shows the one backup window in the mode just set. A window that is already
// open takes the new mode's captions too, so its button does what it says.
void ShowBackupForm(Context& context) {
    BackupForm* form = context.Windows.Open<BackupForm>(context);
    form->ApplyMode();
    form->ShowModeless();
}

}  // namespace

void BackupCommand(Context& context) {
    context.State.BackupMode = true;
    ShowBackupForm(context);
}

bool RestoreCommand(Context& context) {
    const QString warning = QStringLiteral(
        "Do you really want to restore the password database?\n"
        "Restoring will overwrite existing password databases\n"
        "and may result in total loss of password data!");
    if (context.Boxes.Show(warning, kBackupMessageTitle, MsgButtons::YesNo, MsgIcon::None) !=
        MsgAnswer::Yes) {
        return false;
    }
    context.State.BackupMode = false;
    ShowBackupForm(context);
    return true;
}

}  // namespace lockmere
