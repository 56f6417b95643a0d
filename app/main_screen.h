#pragma once

#include <string>

#include "ui/controls.h"
#include "ui/window.h"

class QAction;
class QLabel;
class QMenu;
class QPushButton;

namespace lockmere {

struct CipherResult;

// The start-up window and hub: login strip, record list and menus.
// Handlers live beside the subsystem they belong to:
//   main_screen.cpp         layout, load, login, toggle, logout, close, save
//   about.cpp               About
//   records/list_commands.cpp   opening a line, add, edit, delete
//   setup/first_run.cpp     the first-run chain of the load
//   backup/backup_commands.cpp  backup and restore commands
class MainScreen : public Window {
    Q_OBJECT
public:
    explicit MainScreen(Context& context);

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    FilteredLineEdit* Text1 = nullptr;
    FilteredLineEdit* Text2 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    ListBox* List1 = nullptr;

    QMenu* FileMenu0 = nullptr;
    QMenu* EditMenu0 = nullptr;
    QMenu* HelpMenu0 = nullptr;
    QAction* BackupDB = nullptr;
    QAction* RestoreDB = nullptr;
    QAction* LogoutApp = nullptr;
    QAction* SaveData = nullptr;
    QAction* ExitProgram = nullptr;
    QAction* AddNewEntry = nullptr;
    QAction* DeleteRecord = nullptr;
    QAction* EditData = nullptr;
    QAction* AboutLKDB = nullptr;

    // main_screen.cpp
    void Login();
    void ShowHideToggle();
    // The collapsed state hides the list area; the shown one brings it back.
    void SetCollapsed(bool collapsed);
    void Logout();
    // The File menu's save: writes the list to the store, confirms, enables
    // AddNewEntry. False when nothing was written (and the user was told).
    bool SaveDatabase();
    // Adds a line where the list's case-insensitive order puts it.
    void AddListLine(const std::string& line);
    std::string ListLine(int index) const;

    // about.cpp
    void About();

    // records/list_commands.cpp
    void OpenCurrentLine(int offsetTwips);  // 0 for a double-click, 700 for Enter
    void AddNewEntryCommand();
    void EditDataCommand();
    void DeleteRecordCommand();

    // backup/backup_commands.cpp
    void BackupCommand();
    void RestoreCommand();

    // setup/first_run.cpp: the first-run chain, run by the load.
    void FirstRun();

protected:
    void Load() override;
    bool QueryClose() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The record store into the list, after a matched password.
    void LoadRecords();
    // OK box with the exclamation icon, titled as the window's messages.
    void ShowError(const QString& text);
    // The cipher's own "LKMR" box after a failed decipher; nothing otherwise.
    void ShowDecipherFailure(const CipherResult& result);
};

}  // namespace lockmere
