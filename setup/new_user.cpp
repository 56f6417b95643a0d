#include "setup/new_user.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "records/data_entry.h"
#include "store/key_file.h"
#include "store/record_entry.h"
#include "ui/ansi_text.h"
#include "ui/context.h"
#include "ui/controls.h"
#include "ui/trim_spaces.h"

namespace lockmere {

namespace {

QLabel* WhiteLabel(const QString& caption, QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    SetWhiteBackground(label);
    return label;
}

}  // namespace

NewUser::NewUser(Context& context) : Window(context) {
    setWindowTitle(QStringLiteral(" New User Creation"));
    SetWhiteBackground(this);

    Label5 = Place("Label5",
                   WhiteLabel(QStringLiteral("Please enter a master user name and password that "
                                             "you will never forget.  This will be the "
                                             "information that you will use to log into the "
                                             "password database."),
                              this),
                   90, 105, 2610, 1530);
    Label5->setWordWrap(true);
    Label5->setFont(SansSerif(9.75, false));

    Label1 = Place("Label1", WhiteLabel(QStringLiteral("User Name"), this), 2940, 420, 855, 255);
    Text1 = Place("Text1", new QLineEdit(this), 3945, 360, 1590, 375, Label1->text());
    Label2 = Place("Label2", WhiteLabel(QStringLiteral("Password"), this), 3045, 1020, 780, 255);
    Text2 = Place("Text2", new QLineEdit(this), 3945, 960, 1590, 375, Label2->text());
    Label3 = Place("Label3", WhiteLabel(QStringLiteral("Comfirm Password"), this), 2445, 1620, 1365,
                   255);
    Text3 = Place("Text3", new QLineEdit(this), 3930, 1560, 1590, 375, Label3->text());
    Label4 = Place("Label4",
                   WhiteLabel(QStringLiteral("NOTE: User names and passwords are limited to 8 "
                                             "characters."),
                              this),
                   90, 2250, 2565, 480);
    Label4->setWordWrap(true);
    // The labels without a font of their own take the window's: 8.25 points.
    for (QLabel* label : {Label1, Label2, Label3, Label4}) label->setFont(SansSerif(8.25, false));
    Command1 = Place("Command1", new QPushButton(QStringLiteral("Save Master Password"), this),
                     3510, 2265, 2310, 375, QStringLiteral("Save Master Password"));

    for (QLineEdit* box : {Text1, Text2, Text3}) StyleEntryBox(box);
    SetPasswordEcho(Text2);
    SetPasswordEcho(Text3);
    setTabOrder(Text1, Text2);
    setTabOrder(Text2, Text3);
    setTabOrder(Text3, Command1);
    SetDefaultButton(Command1);
    connect(Command1, &QPushButton::clicked, this, &NewUser::Command1_Click);
}

void NewUser::Load() {
    SetSizeTwips(6105, 3300);
    CentreOnScreen();
    Text1->setFocus();
}

void NewUser::Command1_Click() {
    Context& ctx = context();
    auto refuse = [&ctx](const QString& text) { ShowExclamation(ctx.Boxes, text); };

    const QString password = TrimSpaces(Text2->text());
    const QString confirmation = TrimSpaces(Text3->text());
    if (password.size() + confirmation.size() == 0) {
        refuse(QStringLiteral("ERROR: The passwords fields cannot be blank. Please try again!"));
        return;
    }
    // Deliberately untrimmed: blanks typed into one box only count.
    if (Text3->text() != Text2->text()) {
        refuse(QStringLiteral("ERROR: The passwords did not match. Please try again!"));
        return;
    }

    // Refused only where the encipherment cannot hold a character: that
    // depends on its place in the block, so the whole block is checked.
    const MasterAccountCheck account = CheckMasterAccount(CodePoints(TrimSpaces(Text1->text())),
                                                          CodePoints(password), ctx.EncryptionKey);
    if (!account.Ok()) {
        const QLabel* box = account.RefusedIn == MasterAccountBox::UserName ? Label1 : Label2;
        return refuse(QString::fromStdString(
            RefusedCharacterMessage(CharacterName(account.Refused), box->text().toStdString())));
    }

    const CredentialsWriteResult written =
        WriteCredentials(ctx.ProgramFolder, ctx.EncryptionKey, account.UserName, account.Password);
    switch (written.Outcome) {
    case CredentialsWrite::Written:
        break;
    case CredentialsWrite::TooLong:
        return refuse(
            QStringLiteral("ERROR: The user name and password are too long together.\r"
                           "Please shorten them to 252 characters or fewer in all and try again!"));
    case CredentialsWrite::EncryptFailed:
        return refuse(QStringLiteral(
            "ERROR: The user name or password holds a character that cannot be encrypted.\r"
            "Please use other characters and try again!"));
    case CredentialsWrite::WriteFailed:
        // The key file still holds the encryption string alone; the window
        // stays open so the save can be tried again.
        ctx.Boxes.Show(QStringLiteral("ERROR: The master account could not be saved in the key "
                                      "file (error %1). Nothing was saved.\r"
                                      "Check the program folder and press Save Master Password "
                                      "again.")
                           .arg(written.Code),
                       kMessageCenterTitle, MsgButtons::Ok, MsgIcon::Critical);
        return;
    }

    Unload();
    // This window may be gone once the add window returns: touch nothing of it.
    ctx.Windows.Open<DataEntry>(ctx)->ShowModal();
}

}  // namespace lockmere
