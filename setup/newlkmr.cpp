#include "setup/newlkmr.h"

#include <QPushButton>

#include "ui/ansi_text.h"
#include "ui/controls.h"

namespace lockmere {

std::string WelcomeText() {
    const std::string cr = "\r";
    const std::string paragraph = "\r\n\r\n";
    std::string text = "Welcome to the Lockmere application.";
    text += paragraph;
    text += cr;
    text += "Before you use this program, you will need to establish an encryption string,";
    text += cr;
    text += " a user name, and a default password.";
    text += paragraph;
    text += cr;
    text += "The user name and password should be the easiest information you can";
    text += cr;
    text += " remember although it should not be so easy as that any of your friends";
    text += cr;
    text += " can guess what it is!";
    text += paragraph;
    text += cr;
    text += "After creating your user account information you will then be prompted to enter";
    text += cr;
    text += " the first entry into your personal password database.";
    text += paragraph;
    text += cr;
    text += "Press Next to continue . . .";
    return text;
}

CrLfTextBox::CrLfTextBox(QWidget* parent) : QPlainTextEdit(parent) { setTabChangesFocus(true); }

void CrLfTextBox::SetText(const QString& text) {
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.remove(QLatin1Char('\r'));
    setPlainText(shown);
}

newlkmr::newlkmr(Context& context) : Window(context) {
    setWindowTitle(QStringLiteral(" Welcome to Lockmere"));

    Text1 = Place("Text1", new CrLfTextBox(this), 165, 225, 7080, 3645, QStringLiteral("Welcome"));
    Text1->setFont(SansSerif(9.75, true));
    // The program never reads the text back, so the user may read and
    // select it but not change it.
    Text1->setReadOnly(true);
    Text1->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    Command1 = Place("Command1", new QPushButton(QStringLiteral("Next"), this), 6030, 4050, 1185,
                     375, QStringLiteral("Next"));
    setTabOrder(Text1, Command1);
    SetDefaultButton(Command1);
    connect(Command1, &QPushButton::clicked, this, &newlkmr::Command1_Click);
}

void newlkmr::Load() {
    SetSizeTwips(7680, 5190);
    CentreOnScreen();
    Text1->SetText(FromAnsi(WelcomeText()));
    Text1->setFocus();
}

void newlkmr::Command1_Click() { Unload(); }

}  // namespace lockmere
