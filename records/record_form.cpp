#include "records/record_form.h"

#include <QLabel>
#include <QPushButton>
#include <array>

#include "store/record_entry.h"
#include "ui/ansi_text.h"
#include "ui/context.h"
#include "ui/controls.h"

namespace lockmere {

namespace {

LimitedLineEdit* EntryBox(int limit) {
    auto* box = new LimitedLineEdit(limit);
    StyleEntryBox(box);
    return box;
}

LimitedLineEdit* PasswordBox() {
    LimitedLineEdit* box = EntryBox(15);
    SetPasswordEcho(box);  // also switches the input method off
    return box;
}

}  // namespace

RecordForm::RecordForm(Context& context, const QString& caption) : Window(context) {
    setWindowTitle(caption);
    Label1 = Place("Label1", new QLabel(QStringLiteral("Application Name")), 135, 300, 1305, 255);
    Text1 = Place("Text1", EntryBox(50), 1470, 240, 4095, 375, QStringLiteral("Application Name"));
    Label5 = Place("Label5", new QLabel(QStringLiteral("Application URL")), 135, 720, 1305, 255);
    Text2 = Place("Text2", EntryBox(500), 1470, 690, 8295, 375, QStringLiteral("Application URL"));
    Label2 = Place("Label2", new QLabel(QStringLiteral("User Name")), 120, 1245, 1275, 255);
    Text3 = Place("Text3", EntryBox(40), 1470, 1155, 4095, 375, QStringLiteral("User Name"));
    Label3 = Place("Label3", new QLabel(QStringLiteral("Password")), 135, 1665, 1290, 255);
    Text4 = Place("Text4", PasswordBox(), 1470, 1620, 2415, 375, QStringLiteral("Password"));
    Label4 = Place("Label4", new QLabel(QStringLiteral("Confirm Password")), 135, 2145, 1335, 255);
    Text5 =
        Place("Text5", PasswordBox(), 1470, 2085, 2415, 375, QStringLiteral("Confirm Password"));
    Command1 = Place("Command1", new QPushButton(QStringLiteral("Save Password Data")), 7965, 2130,
                     1830, 495);

    setTabOrder(Text1, Text2);
    setTabOrder(Text2, Text3);
    setTabOrder(Text3, Text4);
    setTabOrder(Text4, Text5);
    setTabOrder(Text5, Command1);

    SetDefaultButton(Command1);
    CloseOnEscape();
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    for (LimitedLineEdit* box : {Text1, Text2, Text3, Text4, Text5}) {
        connect(box, &LimitedLineEdit::TypingRefused, this,
                [this] { this->context().Speaker.Beep(); });
        connect(box, &LimitedLineEdit::PasteRefused, this, [this, box](int pasted, int wouldHold) {
            ShowExclamation(
                this->context().Boxes,
                PasteRefusedText(box->accessibleName(), box->Limit(), pasted, wouldHold));
        });
    }
}

void RecordForm::Load() {
    SetSizeTwips(10215, 3330);
    CentreOnScreen();
}

std::optional<PasswordRecord> RecordForm::CheckedRecord() {
    const std::array<std::u32string, kEntryBoxes> typed{
        CodePoints(Text1->text()), CodePoints(Text2->text()), CodePoints(Text3->text()),
        CodePoints(Text4->text()), CodePoints(Text5->text())};
    // The boxes take no more than their limits as typed.
    const EntryCheck check =
        CheckTypedRecord({typed[0], typed[1], typed[2], typed[3], typed[4]}, false);
    if (check.Ok()) return check.Record;
    ShowExclamation(context().Boxes, QString::fromStdString(EntryMessage(check, CharacterName)));
    if (check.Problem == EntryProblem::Mismatch) {
        EmptyPasswordBox(Text4);
        EmptyPasswordBox(Text5);
    }
    return std::nullopt;
}

void RecordForm::Fill(const PasswordRecord& record) {
    Text1->SetWholeText(FromAnsi(record.ApplicationName));
    Text2->SetWholeText(FromAnsi(record.ApplicationUrl));
    Text3->SetWholeText(FromAnsi(record.UserName));
    Text4->SetWholeText(FromAnsi(record.Password));
    Text5->SetWholeText(FromAnsi(record.Password));
}

}  // namespace lockmere
