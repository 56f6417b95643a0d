#include "backup/backup_form.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

#include "store/backup_location.h"
#include "store/file_access.h"
#include "store/pair_copy.h"
#include "ui/ansi_text.h"
#include "ui/context.h"
#include "ui/controls.h"
#include "ui/drive_list.h"
#include "ui/file_path.h"
#include "ui/folder_list.h"

namespace lockmere {

namespace {

const QString kSameFolder =
    QStringLiteral("Error: The source destination and write destinations cannot be the same!");

QString FailureText(int code) {
    if (code == failure::kDeviceUnavailable)
        return QStringLiteral("Error: Drive not ready or missing disk!");
    if (code == failure::kPathFileAccess)
        return QStringLiteral("Error: Could not access folder. Permission Denied!");
    return QString::number(code);
}

// Anybody could have put it there: it could be another user's book.
QString ForeignText(const std::filesystem::path& file) {
    return QStringLiteral(
               "%1 in %2 belongs to another user; copy the backup into a folder of your own "
               "first.")
        .arg(FromPath(file.filename()), FromPath(file.parent_path()));
}

QString DamagedText(const std::filesystem::path& file) {
    const QString shown = FromPath(file);
    if (file.filename() == kKeyFileName)
        return QStringLiteral(
                   "Error: The key file %1 is damaged: it is longer than a key file "
                   "can be. Nothing was copied.")
            .arg(shown);
    return QStringLiteral(
               "Error: The database %1 could not be deciphered completely: it is "
               "longer than a database can be. Nothing was copied.")
        .arg(shown);
}

QLabel* BoldLabel(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setFont(SansSerif(9.75, true));
    return label;
}

QPushButton* BoldButton(const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setFont(SansSerif(9.75, true));
    return button;
}

}  // namespace

BackupForm::BackupForm(Context& context) : Window(context) {
    setWindowTitle(QStringLiteral(" Backup Database"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    Label1 = Place("Label1", BoldLabel(this), 195, 300, 3675, 330);
    Dir1 = Place("Dir1", new FolderList(this), 330, 1215, 5910, 1890, QStringLiteral("Folders"));
    Command1 = Place("Command1", BoldButton(QString(), this), 3945, 4200, 2370, 345);
    Drive1 = Place("Drive1", new DriveList(context.DriveVolumes, this), 330, 810, 2970, 315,
                   QStringLiteral("Drives"));
    Label2 = Place("Label2", BoldLabel(this), 3450, 3225, 2790, 315);
    Label3 = Place("Label3", new QLabel(this), 330, 3525, 5910, 450);
    Label3->setFont(SansSerif());
    Label3->setTextFormat(Qt::PlainText);  // a folder may be named "<b>"
    Label3->setWordWrap(true);
    SaveBackupLocation =
        Place("SaveBackupLocation", BoldButton(QStringLiteral("Save Backup Location"), this), 330,
              4200, 2970, 345, QStringLiteral("Save Backup Location"));
    Check3 = Place("Check3", new QCheckBox(QStringLiteral("Enable Local Folder Creation"), this),
                   3345, 645, 2955, 705, QStringLiteral("Enable Local Folder Creation"));
    Check3->setFont(SansSerif());

    setTabOrder(Dir1, Command1);
    setTabOrder(Command1, Drive1);
    setTabOrder(Drive1, SaveBackupLocation);
    setTabOrder(SaveBackupLocation, Check3);

    CloseOnEscape();
    connect(Drive1, &DriveList::DriveChanged, this, &BackupForm::Drive1_Change);
    connect(Dir1, &FolderList::PathChanged, this, &BackupForm::Dir1_Change);
    connect(SaveBackupLocation, &QPushButton::clicked, this, &BackupForm::SaveBackupLocation_Click);
    connect(Command1, &QPushButton::clicked, this, &BackupForm::Command1_Click);
    connect(Check3, &QCheckBox::toggled, this, &BackupForm::Check3_Click);
}

void BackupForm::Load() {
    SetSizeTwips(6825, 5340);
    CentreOnScreen();
    const ReadResult saved = ReadBackupLocation(context().ProgramFolder);
    // A location file that cannot be read counts as absent.
    if (saved.Ok()) {
        Label3->setText(FromAnsi(saved.Bytes));
        savedLocation_ = saved.Bytes;
    } else {
        Label3->setText(Dir1->Path());
        savedLocation_.clear();
    }
    ApplyMode(backingUp_);
}

void BackupForm::ApplyMode(bool backup) {
    backingUp_ = backup;
    Label1->setText(backup ? QStringLiteral("Please Select Backup Location")
                           : QStringLiteral("Please Select Restore Location"));
    Label2->setText(backup ? QStringLiteral("Selected Backup Location")
                           : QStringLiteral("Selected Restore Location"));
    Command1->setText(backup ? QStringLiteral("Backup Databases")
                             : QStringLiteral("Restore Databases"));
    Command1->setAccessibleName(Command1->text());
    SaveBackupLocation->setEnabled(backup);
    FitCaptions();
}

void BackupForm::Drive1_Change() {
    int code = Dir1->SetPath(DriveRoot(Drive1->Drive()));
    // A mount point that is gone is a drive that is not ready.
    if (code == failure::kPathNotFound) code = failure::kDeviceUnavailable;
    if (code != failure::kNone) ReportFailure(code);
}

void BackupForm::Dir1_Change() {
    Label3->setText(Dir1->Path());
    FitCaptions();
    savedLocation_.clear();
}

void BackupForm::SaveBackupLocation_Click() {
    const QString location = Label3->text();
    if (location.isEmpty()) {
        context().Boxes.Show(QStringLiteral("Destination Path not selected!"), kBackupMessageTitle,
                             MsgButtons::Ok, MsgIcon::Information);
        return;
    }
    const auto bytes = ToAnsi(location);
    if (!bytes) {
        context().Boxes.Show(
            QStringLiteral("Error: This location's name cannot be saved in the location file!"),
            kBackupMessageTitle, MsgButtons::Ok, MsgIcon::Critical);
        return;
    }
    const int code = WriteBackupLocation(context().ProgramFolder, *bytes);
    if (code != failure::kNone) {
        context().Boxes.Show(FailureText(code), kBackupMessageTitle, MsgButtons::Ok,
                             MsgIcon::Critical);
        return;
    }
    context().Boxes.Show(QStringLiteral("Backup Location Saved!"), kBackupMessageTitle,
                         MsgButtons::Ok, MsgIcon::Information);
}

void BackupForm::Command1_Click() {
    const bool backup = backingUp_;
    const auto result = CopyDataFiles(context().ProgramFolder, ToPath(FromAnsi(savedLocation_)),
                                      ToPath(Dir1->Path()), backup);
    if (result.Outcome == CopyOutcome::SameFolder) {
        context().Boxes.Show(kSameFolder, kBackupMessageTitle, MsgButtons::Ok, MsgIcon::Critical);
        return;
    }
    if (!backup) emit RestoreTried();
    if (result.Outcome == CopyOutcome::Failed) {
        ReportFailure(result.Code);
        return;
    }
    if (result.Outcome == CopyOutcome::Damaged || result.Outcome == CopyOutcome::ForeignFile) {
        const QString text = result.Outcome == CopyOutcome::Damaged ? DamagedText(result.File)
                                                                    : ForeignText(result.File);
        context().Boxes.Show(text, kBackupMessageTitle, MsgButtons::Ok, MsgIcon::Critical);
        return;
    }
    Unload();
    context().Boxes.Show(
        backup ? QStringLiteral("Backup Complete!") : QStringLiteral("Database Restore Complete!"),
        kBackupMessageTitle, MsgButtons::Ok, MsgIcon::Information);
}

void BackupForm::ReportFailure(int code) {
    if (code == failure::kDeviceUnavailable) Drive1->SetDrive(SystemDrive());
    context().Boxes.Show(FailureText(code), kBackupMessageTitle, MsgButtons::Ok, MsgIcon::Critical);
}

}  // namespace lockmere
