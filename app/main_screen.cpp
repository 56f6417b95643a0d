#include "app/main_screen.h"

#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <utility>

#include "backup/backup_commands.h"
#include "records/record_commands.h"
#include "setup/first_run.h"
#include "store/file_access.h"
#include "store/key_file.h"
#include "store/record_store.h"
#include "ui/ansi_text.h"
#include "ui/context.h"
#include "ui/controls.h"
#include "ui/first_paint.h"
#include "ui/lock_signals.h"
#include "ui/services.h"

namespace lockmere {

namespace {

constexpr int kStartWidth = 7440;
// The window opens a little shorter than the toggle later shows it: the
// first sight of the window keeps the size it has always had.
constexpr int kStartHeight = 4695;
constexpr int kShownHeight = 4875;
constexpr int kCollapsedHeight = 1900;

const QString kHideCaption = QStringLiteral("Hide Data");
const QString kDisplayCaption = QStringLiteral("Display Data");

QString WithoutAmpersand(QString caption) { return caption.remove(QChar('&')); }

}  // namespace

MainScreen::MainScreen(Context& context) : Window(context) {
    setWindowTitle(QStringLiteral(" Lockmere"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);

    auto addMenu = [this](const char* name, const QString& caption) {
        QMenu* menu = MenuBar()->addMenu(caption);
        menu->setObjectName(QLatin1String(name));
        menu->setAccessibleName(WithoutAmpersand(caption));
        return menu;
    };
    auto addItem = [](QMenu* menu, const char* name, const QString& caption, bool enabled) {
        QAction* item = menu->addAction(caption);
        item->setObjectName(QLatin1String(name));
        item->setEnabled(enabled);
        return item;
    };
    FileMenu0 = addMenu("FileMenu0", QStringLiteral("&File"));
    BackupDB = addItem(FileMenu0, "BackupDB", QStringLiteral("&Backup Database"), true);
    RestoreDB = addItem(FileMenu0, "RestoreDB", QStringLiteral("&Restore Databases"), true);
    LogoutApp = addItem(FileMenu0, "LogoutApp", QStringLiteral("&Logout"), true);
    SaveData = addItem(FileMenu0, "SaveData", QStringLiteral("&Save Database"), false);
    ExitProgram = addItem(FileMenu0, "ExitProgram", QStringLiteral("&Exit"), true);
    EditMenu0 = addMenu("EditMenu0", QStringLiteral("&Edit"));
    AddNewEntry =
        addItem(EditMenu0, "AddNewEntry", QStringLiteral("&Add New Password Entry"), false);
    DeleteRecord =
        addItem(EditMenu0, "DeleteRecord", QStringLiteral("&Delete Selected Record"), false);
    EditData = addItem(EditMenu0, "EditData", QStringLiteral("&Edit Selected Record"), false);
    HelpMenu0 = addMenu("HelpMenu0", QStringLiteral("&Help"));
    AboutLKDB = addItem(HelpMenu0, "AboutLKDB", QStringLiteral("&About..."), true);

    auto label = [this](const char* name, const QString& caption, int left, int top, int width,
                        int height) {
        auto* created = Place(name, new QLabel(caption), left, top, width, height, caption);
        created->setFont(SansSerif());
        return created;
    };
    Label1 = label("Label1",
                   QStringLiteral("Enter Your User ID And Master Password. Then click Validate."),
                   105, 105, 5655, 255);
    Label3 = label("Label3", QStringLiteral("User ID"), 120, 540, 810, 255);
    Text1 = Place("Text1", new FilteredLineEdit, 915, 480, 2115, 375, Label3->text());
    Label2 = label("Label2", QStringLiteral("Password"), 3285, 540, 975, 255);
    Text2 = Place("Text2", new FilteredLineEdit, 4335, 480, 1395, 375, Label2->text());
    Command1 = Place("Command1", new QPushButton(QStringLiteral("Validate")), 6120, 510, 855, 375,
                     QStringLiteral("Validate"));
    Command2 = Place("Command2", new QPushButton(kHideCaption), 5775, 30, 1200, 375, kHideCaption);
    Label4 = label("Label4", QStringLiteral("Account Name or Service"), 210, 1170, 2115, 240);
    List1 = Place("List1", new ListBox, 150, 1470, 6855, 2220, Label4->text());

    for (QLineEdit* box : {static_cast<QLineEdit*>(Text1), static_cast<QLineEdit*>(Text2)}) {
        StyleEntryBox(box);
        SetPasswordEcho(box);
    }
    StyleEntryBox(List1);
    Text1->DiscardCharacter(QChar('|'));

    // While Command1 is enabled it takes Enter; once it is disabled, Enter
    // in the list opens the current line.
    SetDefaultButton(Command1);
    List1->installEventFilter(this);

    setTabOrder(Text1, Text2);
    setTabOrder(Text2, Command1);
    setTabOrder(Command1, List1);
    setTabOrder(List1, Command2);

    connect(Command1, &QPushButton::clicked, this, &MainScreen::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &MainScreen::Command2_Click);
    connect(List1, &QListWidget::itemDoubleClicked, this, [this] { OpenCurrentLine(0); });
    connect(BackupDB, &QAction::triggered, this, &MainScreen::BackupDB_Click);
    connect(RestoreDB, &QAction::triggered, this, &MainScreen::RestoreDB_Click);
    connect(LogoutApp, &QAction::triggered, this, &MainScreen::LogoutApp_Click);
    connect(SaveData, &QAction::triggered, this, &MainScreen::SaveData_Click);
    connect(ExitProgram, &QAction::triggered, this, &MainScreen::close);
    connect(AddNewEntry, &QAction::triggered, this, &MainScreen::AddNewEntry_Click);
    connect(DeleteRecord, &QAction::triggered, this, &MainScreen::DeleteRecord_Click);
    connect(EditData, &QAction::triggered, this, &MainScreen::EditData_Click);
    connect(AboutLKDB, &QAction::triggered, this, &MainScreen::AboutLKDB_Click);

    context.RecordBook.Watch(this);
    context.Windows.SetMain(this);
    connect(&context.SessionLock, &LockSignals::Locked, this, &MainScreen::Lock);
    // The platform's services are reached once a window is on the screen.
    AfterFirstPaint(this, [&context] { context.SessionLock.Start(); });
}

MainScreen::~MainScreen() { context().RecordBook.Unwatch(this); }

void MainScreen::Load() {
    SetSizeTwips(kStartWidth, kStartHeight);
    CentreOnScreen();
    Text1->setFocus();
    AppState& state = context().State;

    KeyFileStart start = ReadKeyFileAtStart(context().ProgramFolder);
    if (start.Code != failure::kNone) {
        ShowExclamation(
            context().Boxes,
            MessageLines(
                {QStringLiteral("ERROR: The key file %1 could not be read (failure code %2).")
                     .arg(QString::fromLatin1(kKeyFileName))
                     .arg(start.Code),
                 QStringLiteral("Nobody can log in until it can be read.")}));
        return;
    }
    switch (start.From) {
    case StartFrom::Welcome:
        FirstRun(context());
        return;
    case StartFrom::MasterAccount:
        state.EncryptionKey = std::move(start.EncryptionKey);
        FirstRunFromMasterAccount(context());
        return;
    case StartFrom::Login:
        state.EncryptionKey = std::move(start.EncryptionKey);
        return;
    }
}

bool MainScreen::eventFilter(QObject* watched, QEvent* event) {
    if (watched == List1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            OpenCurrentLine(700);
            return true;
        }
    }
    return Window::eventFilter(watched, event);
}

void MainScreen::Command1_Click() {
    Command1->setEnabled(false);
    AppState& state = context().State;

    const unsigned locks = locks_;

    const LoginCheck check =
        CheckLogin(context().ProgramFolder, state.EncryptionKey, Text2->text().toStdString());
    ShowDecipherFailure(check.Deciphered);
    // A lock while a box was up has ended this login.
    if (locks_ != locks) return;

    switch (check.Outcome) {
    case LoginOutcome::Match: {
        const LoadResult loaded = context().RecordBook.Load(state.EncryptionKey);
        ShowDecipherFailure(loaded.Deciphered);
        if (loaded.Code != failure::kNone)
            ShowExclamation(
                context().Boxes,
                QStringLiteral("ERROR: The database %1 could not be read (failure code %2).")
                    .arg(QString::fromLatin1(kStoreFileName))
                    .arg(loaded.Code));
        if (locks_ != locks) return;
        AddNewEntry->setEnabled(true);
        DeleteRecord->setEnabled(true);
        EditData->setEnabled(true);
        LogoutApp->setEnabled(true);
        state.DataHidden = true;
        Command2_Click();
        return;
    }
    case LoginOutcome::NoMatch:
        context().Boxes.Show(QStringLiteral("ERROR: Password Not Matched!"), kMessageCenterTitle,
                             MsgButtons::Ok, MsgIcon::Question);
        break;
    case LoginOutcome::NoMasterAccount:
        ShowExclamation(context().Boxes,
                        QStringLiteral("No master account has been created yet. Close Lockmere and "
                                       "start it again to create one."));
        break;
    case LoginOutcome::Damaged:
        ShowExclamation(
            context().Boxes,
            MessageLines({QStringLiteral("ERROR: The key file %1 is damaged: it holds no complete "
                                         "master account.")
                              .arg(QString::fromLatin1(kKeyFileName)),
                          QStringLiteral("Restore the data files from a backup, then start "
                                         "Lockmere again.")}));
        break;
    case LoginOutcome::ReadFailed:
        ShowExclamation(
            context().Boxes,
            QStringLiteral("ERROR: The key file %1 could not be read (failure code %2).")
                .arg(QString::fromLatin1(kKeyFileName))
                .arg(check.Code));
        break;
    }
    Command1->setEnabled(true);
    Text2->clear();
}

void MainScreen::Command2_Click() { SetCollapsed(!context().State.DataHidden); }

void MainScreen::SetCollapsed(bool collapsed) {
    // Hidden, not just out of view: neither drawn nor offered to
    // accessibility tools, so no record shows through a thin frame.
    Label4->setVisible(!collapsed);
    List1->setVisible(!collapsed);
    SetHeightTwips(collapsed ? kCollapsedHeight : kShownHeight);
    context().State.DataHidden = collapsed;
    const QString caption = collapsed ? kDisplayCaption : kHideCaption;
    Command2->setText(caption);
    Command2->setAccessibleName(caption);
    FitCaptions();
}

void MainScreen::LogoutApp_Click() {
    context().RecordBook.Close();
    Text2->clear();
    Command2_Click();
    Command1->setEnabled(true);
    LogoutApp->setEnabled(false);
    // Locked until the next login: nothing may be added, changed or saved
    // over the store from the emptied list.
    SaveData->setEnabled(false);
    AddNewEntry->setEnabled(false);
    DeleteRecord->setEnabled(false);
    EditData->setEnabled(false);
}

void MainScreen::Lock() {
    ++locks_;
    context().Windows.UnloadForLock();
    context().ClipboardService.Expire();
    if (LoggedIn()) LogoutApp_Click();
    SetCollapsed(true);
}

bool MainScreen::LoggedIn() const { return !Command1->isEnabled(); }

bool MainScreen::QueryClose() {
    if (!context().RecordBook.Changed()) return true;
    const MsgAnswer answer = context().Boxes.Show(
        MessageLines({QStringLiteral("WARNING: You have changed the content of the database!"),
                      QStringLiteral("If you exit the program without saving the database all"),
                      QStringLiteral("edits will be lost!"), QString(),
                      QStringLiteral("Do you want to exit the program?")}),
        kMessageCenterTitle, MsgButtons::YesNo, MsgIcon::None);
    if (answer != MsgAnswer::Yes) return false;
    context().Windows.UnloadAllExcept(this);
    return true;
}

bool MainScreen::SaveData_Click() {
    const StoreWriteResult result = context().RecordBook.Save(context().State.EncryptionKey);
    const QString notSaved = QStringLiteral("ERROR: The database has not been saved!");
    const QString leftAsItWas = QStringLiteral("The database on disk has been left as it was.");
    switch (result.Outcome) {
    case StoreWrite::Written:
        // Before the box, which the menu cannot be reached past: a lock while
        // it is up disables the item again.
        AddNewEntry->setEnabled(true);
        context().Boxes.Show(MessageLines({QStringLiteral("The database has been saved!"),
                                           QStringLiteral("It is now OK to add a new entry into"),
                                           QStringLiteral("the database!")}),
                             kMessageCenterTitle, MsgButtons::Ok, MsgIcon::Question);
        return true;
    case StoreWrite::NotAuthoritative:
        ShowExclamation(
            context().Boxes,
            MessageLines({notSaved,
                          QStringLiteral("The list does not hold the whole database: it could not "
                                         "be read completely at login, or the data files have "
                                         "been restored since. Log in again to reload it."),
                          leftAsItWas}));
        return false;
    case StoreWrite::TooLong:
        ShowExclamation(
            context().Boxes,
            MessageLines({notSaved,
                          QStringLiteral("It would be longer than 32,766 characters. Delete a "
                                         "record or shorten some fields, then save again."),
                          leftAsItWas}));
        return false;
    case StoreWrite::EncryptFailed:
        ShowExclamation(
            context().Boxes,
            MessageLines({notSaved,
                          QStringLiteral("A record holds a character that cannot be enciphered "
                                         "at its place. Edit that record and replace the "
                                         "character, then save again."),
                          leftAsItWas}));
        return false;
    default:
        ShowExclamation(
            context().Boxes,
            MessageLines({notSaved,
                          QStringLiteral("The file %1 could not be written (failure code %2).")
                              .arg(QString::fromLatin1(kStoreFileName))
                              .arg(result.Code),
                          leftAsItWas}));
        return false;
    }
}

std::string MainScreen::ListLine(int index) const {
    const Book& book = context().RecordBook;
    if (index < 0 || static_cast<std::size_t>(index) >= book.Records().size()) return {};
    return book.Line(static_cast<std::size_t>(index));
}

void MainScreen::RecordsReset() {
    List1->clear();
    const Book& book = context().RecordBook;
    for (std::size_t i = 0; i < book.Records().size(); ++i) List1->addItem(FromAnsi(book.Line(i)));
}

void MainScreen::RecordInserted(std::size_t index) {
    List1->insertItem(static_cast<int>(index), FromAnsi(context().RecordBook.Line(index)));
}

void MainScreen::RecordRemoved(std::size_t index) {
    delete List1->takeItem(static_cast<int>(index));
    // The list would hand the removed line's selection on to its neighbour,
    // and a command that goes on looking for selected lines would then edit
    // or delete a record the user never chose.
    List1->setCurrentRow(-1);
    List1->clearSelection();
}

void MainScreen::OpenCurrentLine(int offsetTwips) {
    // The collapsed state of the show/hide toggle, without running it.
    SetCollapsed(true);
    OpenRecordViewer(context(), ListLine(List1->currentRow()), offsetTwips);
}

void MainScreen::AddNewEntry_Click() { AddRecordCommand(context()); }

void MainScreen::EditData_Click() {
    for (int index = 0; index < List1->count(); ++index) {
        QListWidgetItem* item = List1->item(index);
        if (item == nullptr || !item->isSelected()) continue;
        List1->setCurrentRow(index);
        if (!EditRecordCommand(context(), static_cast<std::size_t>(index))) return;
        DeleteRecord->setEnabled(false);
        AddNewEntry->setEnabled(false);
        EditData->setEnabled(false);
        SaveData->setEnabled(true);
        // Saved at once, so that the store on disk never lags behind an edit.
        SaveData_Click();
    }
}

void MainScreen::DeleteRecord_Click() {
    bool anySelected = false;
    for (int index = 0; index < List1->count(); ++index)
        anySelected = anySelected || List1->item(index)->isSelected();
    const unsigned locks = locks_;
    if (anySelected && !ConfirmDelete(context())) return;
    if (locks_ != locks) return;  // the book locked while the question was up

    int index = 0;
    while (index < List1->count()) {
        if (List1->item(index)->isSelected()) {
            context().RecordBook.Remove(static_cast<std::size_t>(index));
            SaveData->setEnabled(true);
            // Nothing enables it again: after a delete the program ends
            // through the close box alone, as it always has.
            ExitProgram->setEnabled(false);
            // From the top again: the removal shifted every line below it.
            index = 0;
        } else {
            ++index;
        }
    }
    // Runs also when nothing was selected; the save refuses a book that is
    // not the store's complete copy.
    SaveData_Click();
}

void MainScreen::BackupDB_Click() { BackupCommand(context()); }

void MainScreen::RestoreDB_Click() {
    const unsigned locks = locks_;
    // After a lock while the question was up the user is logged out already,
    // and the logout's toggle would open the list area again.
    if (RestoreCommand(context()) && locks_ == locks) LogoutApp_Click();
}

void MainScreen::AboutLKDB_Click() {
    context().Boxes.Show(QStringLiteral("Lockmere, Version 3.4\n"
                                        "Build Date: 20220224\n"
                                        "Published by the Lockmere developers. Free to use and "
                                        "share."),
                         kMessageCenterTitle, MsgButtons::Ok, MsgIcon::None);
}

void MainScreen::ShowDecipherFailure(const CipherResult& result) {
    if (result.Ok()) return;
    context().Boxes.Show(FromAnsi(DecryptFailureText(result)), kCipherMessageTitle, MsgButtons::Ok,
                         MsgIcon::None);
}

}  // namespace lockmere
