#pragma once

#include <string>

#include "ui/window.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace lockmere {

class DriveList;
class FolderList;

// Backup and restore of the two data files, one window for both directions,
// with the location chosen from the drive and folder lists or remembered in
// BackupLocation.inf. Escape closes it.
//   backup_form.cpp        layout, load, the lists, the saved location, the copy
//   local_folder_form.cpp  Check3: a new folder under the current one
//
// Controls: Drive1 the drive list, Dir1 the folder list, Label1 the prompt
// above them, Label3 the location in use under its heading Label2,
// Command1 "Backup Databases" or "Restore Databases", SaveBackupLocation
// "Save Backup Location", Check3 "Enable Local Folder Creation".
class BackupForm : public Window {
    Q_OBJECT
public:
    explicit BackupForm(Context& context);

    QLabel* Label1 = nullptr;
    FolderList* Dir1 = nullptr;
    QPushButton* Command1 = nullptr;
    DriveList* Drive1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QPushButton* SaveBackupLocation = nullptr;
    QCheckBox* Check3 = nullptr;

    // Backing up or restoring, with the captions and SaveBackupLocation's
    // state to match: the menu command sets it at each opening, so that an
    // open window's button does what its new caption says.
    void ApplyMode(bool backup);

    void Drive1_Change();
    void Dir1_Change();
    void SaveBackupLocation_Click();
    void Command1_Click();
    void Check3_Click();  // local_folder_form.cpp

signals:
    // A restore was tried, whether it went through or not: the key file and
    // the store in the program folder may have changed.
    void RestoreTried();

protected:
    void Load() override;

private:
    // The failure box of the lists and the copy; 68 first resets the drive.
    void ReportFailure(int code);

    // The direction ApplyMode set last.
    bool backingUp_ = true;
    // The saved location's first line, in Windows-1252; the copy uses it
    // instead of the folder list until another folder is chosen.
    std::string savedLocation_;
};

}  // namespace lockmere
