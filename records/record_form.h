#pragma once

#include <optional>

#include "store/record_line.h"
#include "ui/limited_line_edit.h"
#include "ui/window.h"

class QLabel;
class QPushButton;

namespace lockmere {

// The five-box layout shared by the add and the edit window, with the
// checks both run when "Save Password Data" is pressed. Enter presses it
// too; Escape closes the window as its close box does. A box beeps at a
// character typed past its limit and tells of a paste that would pass it.
//
// Controls: Text1 the application name, Text2 its URL, Text3 the user name,
// Text4 the password and Text5 its confirmation, each with its label
// (Label1, Label5, Label2, Label3, Label4); Command1 "Save Password Data".
class RecordForm : public Window {
    Q_OBJECT
public:
    RecordForm(Context& context, const QString& caption);

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    LimitedLineEdit* Text1 = nullptr;
    LimitedLineEdit* Text2 = nullptr;
    LimitedLineEdit* Text3 = nullptr;
    LimitedLineEdit* Text4 = nullptr;
    LimitedLineEdit* Text5 = nullptr;
    QPushButton* Command1 = nullptr;

protected:
    // Size and centring.
    void Load() override;
    virtual void Command1_Click() = 0;

    // The trimmed fields, or nothing after the user has been told why not:
    // a blank box, a confirmation that differs (both password boxes are
    // emptied) or a character a stored field may not hold.
    std::optional<PasswordRecord> CheckedRecord();
    // Fills the boxes from a record; the password goes into both password boxes.
    void Fill(const PasswordRecord& record);
};

}  // namespace lockmere
