#include "backup/local_folder_form.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "backup/backup_form.h"
#include "store/file_access.h"
#include "store/folder_name.h"
#include "store/record_line.h"
#include "ui/ansi_text.h"
#include "ui/context.h"
#include "ui/controls.h"
#include "ui/file_path.h"
#include "ui/folder_list.h"

namespace lockmere {

LocalFolderForm::LocalFolderForm(Context& context) : Window(context) {
    setWindowTitle(QStringLiteral(" Create Local Folder"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    Label1 =
        Place("Label1", new QLabel(QStringLiteral("Enter Folder Name"), this), 240, 165, 2370, 255);
    Text1 = Place("Text1", new QLineEdit(this), 195, 420, 3465, 480,
                  QStringLiteral("Enter Folder Name"));
    StyleEntryBox(Text1);
    Command1 = Place("Command1", new QPushButton(QStringLiteral("OK"), this), 3900, 465, 630, 375,
                     QStringLiteral("OK"));
    Command1->setFont(SansSerif(9.75, true));
    setTabOrder(Text1, Command1);

    connect(Command1, &QPushButton::clicked, this, &LocalFolderForm::Command1_Click);
}

void LocalFolderForm::Load() {
    SetSizeTwips(5040, 1665);
    CentreOnScreen(-1000);
}

std::optional<std::string> LocalFolderForm::Ask(Context& context) {
    std::optional<std::string> named;
    LocalFolderForm* window = context.Windows.Open<LocalFolderForm>(context);
    connect(window, &LocalFolderForm::Named, window,
            [&named](const std::string& name) { named = name; });
    window->ShowModal();
    return named;
}

void LocalFolderForm::Command1_Click() {
    const auto name = ToAnsi(Text1->text());
    if (!name) {
        context().Boxes.Show(QStringLiteral("Error: The folder name holds a character that cannot "
                                            "be used!"),
                             kBackupMessageTitle, MsgButtons::Ok, MsgIcon::Critical);
        return;
    }
    emit Named(TrimSpaces(*name));
    Unload();
}

void BackupForm::Check3_Click() {
    if (!Check3->isChecked()) return;
    const std::optional<std::string> named = LocalFolderForm::Ask(context());
    if (!named || named->empty()) return;

    const int code = CreateNamedFolder(ToPath(Dir1->Path()), ToPath(FromAnsi(*named)));
    Check3->setChecked(false);
    Dir1->Refresh();
    if (code == failure::kNone) return;
    const QString text = code == failure::kPathFileAccess
                             ? QStringLiteral("Error: the folder already exists!")
                             : QString::number(code);
    context().Boxes.Show(text, kBackupMessageTitle, MsgButtons::Ok, MsgIcon::Critical);
}

}  // namespace lockmere
