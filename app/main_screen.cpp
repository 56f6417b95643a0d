#include "app/main_screen.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <utility>

#include "app/book_model.h"
#include "app/main_messages.h"
#include "backup/backup_commands.h"
#include "records/record_commands.h"
#include "setup/first_run.h"
#include "store/file_access.h"
#include "store/key_file.h"
#include "store/record_store.h"
#include "store/secret_text.h"
#include "ui/ansi_text.h"
#include "ui/context.h"
#include "ui/controls.h"
#include "ui/first_paint.h"
#include "ui/lock_signals.h"
#include "ui/secret_traces.h"
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
    auto addItem = [](QMenu* menu, const char* name, const QString& caption) {
        QAction* item = menu->addAction(caption);
        item->setObjectName(QLatin1String(name));
        return item;
    };
    FileMenu0 = addMenu("FileMenu0", QStringLiteral("&File"));
    BackupDB = addItem(FileMenu0, "BackupDB", QStringLiteral("&Backup Database"));
    RestoreDB = addItem(FileMenu0, "RestoreDB", QStringLiteral("&Restore Databases"));
    LogoutApp = addItem(FileMenu0, "LogoutApp", QStringLiteral("&Logout"));
    SaveData = addItem(FileMenu0, "SaveData", QStringLiteral("&Save Database"));
    ExitProgram = addItem(FileMenu0, "ExitProgram", QStringLiteral("&Exit"));
    EditMenu0 = addMenu("EditMenu0", QStringLiteral("&Edit"));
    AddNewEntry = addItem(EditMenu0, "AddNewEntry", QStringLiteral("&Add New Password Entry"));
    DeleteRecord = addItem(EditMenu0, "DeleteRecord", QStringLiteral("&Delete Selected Record"));
    EditData = addItem(EditMenu0, "EditData", QStringLiteral("&Edit Selected Record"));
    HelpMenu0 = addMenu("HelpMenu0", QStringLiteral("&Help"));
    AboutLKDB = addItem(HelpMenu0, "AboutLKDB", QStringLiteral("&About..."));
    UpdateMenus();

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
    List1->setModel(new BookModel(context.RecordBook, List1));

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
    connect(List1, &QListView::doubleClicked, this, [this] { OpenCurrentLine(0); });
    // The list would hand the removed line's selection on to its neighbour,
    // and a command that goes on looking for the chosen line would then edit
    // or delete a record the user never chose.
    connect(List1->model(), &QAbstractItemModel::rowsRemoved, List1->selectionModel(),
            &QItemSelectionModel::clear);
    connect(BackupDB, &QAction::triggered, this, &MainScreen::BackupDB_Click);
    connect(RestoreDB, &QAction::triggered, this, &MainScreen::RestoreDB_Click);
    connect(LogoutApp, &QAction::triggered, this, &MainScreen::LogoutApp_Click);
    connect(SaveData, &QAction::triggered, this, &MainScreen::SaveData_Click);
    connect(ExitProgram, &QAction::triggered, this, &MainScreen::close);
    connect(AddNewEntry, &QAction::triggered, this, &MainScreen::AddNewEntry_Click);
    connect(DeleteRecord, &QAction::triggered, this, &MainScreen::DeleteRecord_Click);
    connect(EditData, &QAction::triggered, this, &MainScreen::EditData_Click);
    connect(AboutLKDB, &QAction::triggered, this, &MainScreen::AboutLKDB_Click);

    context.Windows.SetMain(this);
    connect(&context.Locking, &BookLock::Locked, this, &MainScreen::Lock);
    // The platform's services are reached once a window is on the screen.
    AfterFirstPaint(this, [&context] { context.SessionLock.Start(); });
}

MainScreen::~MainScreen() = default;

void MainScreen::Load() {
    SetSizeTwips(kStartWidth, kStartHeight);
    CentreOnScreen();
    Text1->setFocus();

    KeyFileStart start = ReadKeyFileAtStart(context().ProgramFolder);
    if (start.Code != failure::kNone) {
        ShowExclamation(context().Boxes,
                        MessageLines({KeyFileUnreadableText(start.Code),
                                      QStringLiteral("Nobody can log in until it can be read.")}));
        return;
    }
    switch (start.From) {
    case StartFrom::Welcome:
        FirstRun(context());
        return;
    case StartFrom::MasterAccount:
        context().EncryptionKey = std::move(start.EncryptionKey);
        FirstRunFromMasterAccount(context());
        return;
    case StartFrom::Login:
        context().EncryptionKey = std::move(start.EncryptionKey);
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
    const std::string& key = context().EncryptionKey;

    const unsigned locks = context().Locking.Count();

    const SecretText typed = Text2->text().toStdString();
    const LoginCheck check = CheckLogin(context().ProgramFolder, key, typed);
    ShowDecipherFailure(check.Deciphered);
    // A lock while a box was up has ended this login.
    if (context().Locking.Count() != locks) return;

    switch (check.Outcome) {
    case LoginOutcome::Match: {
        const LoadResult loaded = context().RecordBook.Load(key);
        ShowDecipherFailure(loaded.Deciphered);
        if (loaded.Code != failure::kNone)
            ShowExclamation(context().Boxes, StoreUnreadableText(loaded.Code));
        if (context().Locking.Count() != locks) return;
        loggedOut_ = false;
        recordCommands_ = true;
        UpdateMenus();
        dataHidden_ = true;
        Command2_Click();
        return;
    }
    case LoginOutcome::NoMatch:
        context().Boxes.Show(LoginOutcomeText(check), kMessageCenterTitle, MsgButtons::Ok,
                             MsgIcon::Question);
        break;
    default:
        ShowExclamation(context().Boxes, LoginOutcomeText(check));
        break;
    }
    Command1->setEnabled(true);
    EmptyPasswordBox(Text2);
    ForgetSecretTraces();
}

void MainScreen::Command2_Click() { SetCollapsed(!dataHidden_); }

void MainScreen::SetCollapsed(bool collapsed) {
    // Hidden, not just out of view: neither drawn nor offered to
    // accessibility tools, so no record shows through a thin frame.
    Label4->setVisible(!collapsed);
    List1->setVisible(!collapsed);
    SetHeightTwips(collapsed ? kCollapsedHeight : kShownHeight);
    dataHidden_ = collapsed;
    const QString caption = collapsed ? kDisplayCaption : kHideCaption;
    Command2->setText(caption);
    Command2->setAccessibleName(caption);
    FitCaptions();
}

void MainScreen::LogoutApp_Click() {
    context().RecordBook.Close();
    List1->ForgetShownLines();
    // As the lock does: what Lockmere put there goes with the book.
    context().ClipboardService.Expire();
    EmptyPasswordBox(Text2);
    Command2_Click();
    Command1->setEnabled(true);
    loggedOut_ = true;
    // Locked until the next login: nothing may be added, changed or saved
    // over the store from the emptied list.
    recordCommands_ = false;
    savedSinceEdit_ = false;
    changeMade_ = false;
    UpdateMenus();
    ForgetSecretTraces();
}

void MainScreen::UpdateMenus() {
    LogoutApp->setEnabled(!loggedOut_);
    SaveData->setEnabled(changeMade_);
    ExitProgram->setEnabled(!deleted_);
    AddNewEntry->setEnabled(recordCommands_ || savedSinceEdit_);
    DeleteRecord->setEnabled(recordCommands_);
    EditData->setEnabled(recordCommands_);
}

void MainScreen::Lock() {
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
    const StoreWriteResult result = context().RecordBook.Save(context().EncryptionKey);
    if (result.Outcome != StoreWrite::Written) {
        ShowExclamation(context().Boxes, SaveOutcomeText(result));
        return false;
    }
    // Before the box, which the menu cannot be reached past: a lock while
    // it is up disables the item again.
    savedSinceEdit_ = true;
    UpdateMenus();
    context().Boxes.Show(SaveOutcomeText(result), kMessageCenterTitle, MsgButtons::Ok,
                         MsgIcon::Question);
    return true;
}

std::optional<std::size_t> MainScreen::ChosenLine() const {
    const QModelIndexList chosen = List1->selectionModel()->selectedRows();
    if (chosen.isEmpty()) return std::nullopt;
    return static_cast<std::size_t>(chosen.first().row());
}

void MainScreen::OpenCurrentLine(int offsetTwips) {
    // The collapsed state of the show/hide toggle, without running it.
    SetCollapsed(true);
    const std::optional<std::size_t> chosen = ChosenLine();
    OpenRecordViewer(context(),
                     chosen ? std::optional(context().RecordBook.Line(*chosen)) : std::nullopt,
                     offsetTwips);
}

void MainScreen::AddNewEntry_Click() { AddRecordCommand(context()); }

void MainScreen::EditData_Click() {
    const std::optional<std::size_t> chosen = ChosenLine();
    if (!chosen) return;
    List1->setCurrentIndex(List1->model()->index(static_cast<int>(*chosen), 0));
    if (!EditRecordCommand(context(), *chosen)) return;
    recordCommands_ = false;
    savedSinceEdit_ = false;
    changeMade_ = true;
    UpdateMenus();
    // Saved at once, so that the store on disk never lags behind an edit.
    SaveData_Click();
}

void MainScreen::DeleteRecord_Click() {
    const unsigned locks = context().Locking.Count();
    if (ChosenLine() && !ConfirmDelete(context())) return;
    if (context().Locking.Count() != locks) return;  // the book locked while the question was up

    // The chosen line is sought again from the top after each removal,
    // which shifted every line below it.
    while (const std::optional<std::size_t> chosen = ChosenLine()) {
        context().RecordBook.Remove(*chosen);
        changeMade_ = true;
        // Nothing enables Exit again: after a delete the program ends
        // through the close box alone, as it always has.
        deleted_ = true;
        UpdateMenus();
    }
    // Runs also when nothing was selected; the save refuses a book that is
    // not the store's complete copy.
    SaveData_Click();
}

void MainScreen::BackupDB_Click() { BackupCommand(context()); }

void MainScreen::RestoreDB_Click() {
    const unsigned locks = context().Locking.Count();
    // After a lock while the question was up the user is logged out already,
    // and the logout's toggle would open the list area again.
    if (RestoreCommand(context()) && context().Locking.Count() == locks) LogoutApp_Click();
}

void MainScreen::AboutLKDB_Click() {
    context().Boxes.Show(QStringLiteral("Lockmere, Version " LOCKMERE_VERSION "\n"
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
