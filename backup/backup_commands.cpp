#include "backup/backup_commands.h"

#include "backup/backup_form.h"
#include "store/file_access.h"
#include "store/key_file.h"
#include "ui/context.h"

namespace lockmere {

namespace {

// Whether it went through or not, a restore may have changed the key file:
// the session goes on with the encryption string it holds now, and no list
// of the book on screen may be saved over the store.
void TakeRestoredKeyFile(Context& context) {
    const KeyFileStart start = ReadKeyFileAtStart(context.ProgramFolder);
    if (start.Code == failure::kNone && start.From != StartFrom::Welcome) {
        context.EncryptionKey = start.EncryptionKey;
    }
    context.RecordBook.Forget();
}

// Shows the one backup window in the given direction. A window that is
// already open takes the new mode's captions too, so its button does what
// it says.
void ShowBackupForm(Context& context, bool backup) {
    BackupForm* form = context.Windows.Find<BackupForm>();
    if (!form) {
        form = context.Windows.Open<BackupForm>(context);
        QObject::connect(form, &BackupForm::RestoreTried, form,
                         [&context] { TakeRestoredKeyFile(context); });
    }
    form->ApplyMode(backup);
    form->ShowModeless();
}

}  // namespace

void BackupCommand(Context& context) { ShowBackupForm(context, true); }

bool RestoreCommand(Context& context) {
    const QString warning = QStringLiteral(
        "Do you really want to restore the password database?\n"
        "Restoring will overwrite existing password databases\n"
        "and may result in total loss of password data!");
    if (context.Boxes.Show(warning, kBackupMessageTitle, MsgButtons::YesNo, MsgIcon::None) !=
        MsgAnswer::Yes) {
        return false;
    }
    ShowBackupForm(context, false);
    return true;
}

}  // namespace lockmere
