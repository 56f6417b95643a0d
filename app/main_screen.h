#pragma once

#include <cstddef>
#include <optional>

#include "ui/controls.h"
#include "ui/window.h"

class QAction;
class QLabel;
class QMenu;
class QPushButton;

namespace lockmere {

struct CipherResult;

// The start-up window and hub: login strip, the book's records and menus.
// The commands that open other windows live beside those windows; this
// window keeps its menus in step with what they did.
//
// Controls: Label1 the login prompt, Label3/Text1 the user ID, Label2/Text2
// the password, Command1 "Validate", Command2 the show/hide toggle, Label4
// the list's heading, List1 the records (a view of the book).
class MainScreen : public Window {
    Q_OBJECT
public:
    explicit MainScreen(Context& context);
    ~MainScreen() override;

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

    // Login.
    void Command1_Click();
    // The show/hide toggle; login and logout run it too.
    void Command2_Click();
    // The collapsed state hides the list area; the shown one brings it back.
    void SetCollapsed(bool collapsed);
    void LogoutApp_Click();
    // The File menu's save: writes the book to the store, confirms, enables
    // AddNewEntry. False when nothing was written (and the user was told).
    bool SaveData_Click();

protected:
    void Load() override;
    bool QueryClose() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BackupDB_Click();
    void RestoreDB_Click();
    void AddNewEntry_Click();
    void EditData_Click();
    void DeleteRecord_Click();
    void AboutLKDB_Click();
    // The user has walked away, and the windows that show records are
    // closed (BookLock): a logged-in user is logged out, and the window
    // ends collapsed to the login strip. Windows that show no stored record
    // (a first start's, the backup window, message boxes) stay as they are.
    void Lock();
    // Double-click (offset 0) or Enter (offset 700) on a line: the viewer.
    void OpenCurrentLine(int offsetTwips);

    // The line the user chose, if any; the list selects one at most.
    std::optional<std::size_t> ChosenLine() const;

    // The cipher's own "LKMR" box after a failed decipher; nothing otherwise.
    void ShowDecipherFailure(const CipherResult& result);
    // Validate stays disabled from a login until the logout.
    bool LoggedIn() const;
    // Every menu item's state, from the history below.
    void UpdateMenus();

    // The show/hide toggle's state: the list area collapsed.
    bool dataHidden_ = false;

    // What the menus follow. Logout is offered from the start until a
    // logout, and again from the next login.
    bool loggedOut_ = false;
    // Add, Delete and Edit: from a login until a saved edit or the logout.
    bool recordCommands_ = false;
    // A save written after the last edit gives Add back, until the logout.
    bool savedSinceEdit_ = false;
    // Save: from a delete or an edit until the logout; a save leaves it.
    bool changeMade_ = false;
    // Exit: gone for good after a delete.
    bool deleted_ = false;
};

}  // namespace lockmere
