#pragma once

#include "ui/window.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace lockmere {

// Takes the master user name and password, writes them enciphered into the
// key file and goes on to the first record. Enter saves, as the button does.
//
// Controls: Label5 the introduction, Text1 the user name, Text2 the password
// and Text3 its confirmation, each with its label (Label1, Label2, Label3),
// Label4 the note on lengths, Command1 "Save Master Password".
class NewUser : public Window {
    Q_OBJECT
public:
    explicit NewUser(Context& context);

    QLabel* Label5 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* Text1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* Text2 = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* Text3 = nullptr;
    QLabel* Label4 = nullptr;
    QPushButton* Command1 = nullptr;

    void Command1_Click();

protected:
    void Load() override;
};

}  // namespace lockmere
