#include "records/big_char.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <optional>
#include <string>
#include <utility>

#include "store/record_line.h"
#include "store/web_address.h"
#include "ui/ansi_text.h"
#include "ui/caption.h"
#include "ui/context.h"
#include "ui/controls.h"
#include "ui/trim_spaces.h"

namespace lockmere {

namespace {

const QString kViewerCaption = QStringLiteral(" Lockmere");

QLineEdit* ViewerBox(const QFont& font) {
    auto* box = new QLineEdit;
    box->setFont(font);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, QApplication::palette().color(QPalette::ToolTipBase));
    palette.setColor(QPalette::Text, QApplication::palette().color(QPalette::ToolTipText));
    box->setPalette(palette);
    return box;
}

QLabel* ViewerLabel(const QString& caption) {
    auto* label = new QLabel(caption);
    label->setFont(Courier(9.75, true));
    return label;
}

QString NotAWebAddressText(const QString& address) {
    return MessageLines({QStringLiteral("The address \"%1\" is not a web address, so it was "
                                        "not opened.")
                             .arg(address),
                         QStringLiteral("Launch Browser opens addresses that start with http:// "
                                        "or https://, and web site names such as "
                                        "www.example.com.")});
}

QPushButton* ViewerButton(const QString& caption, bool bold) {
    auto* button = new QPushButton(caption);
    button->setFont(Courier(9.75, bold));
    return button;
}

}  // namespace

BigChar::BigChar(Context& context, std::string line, ViewerPlacement offset)
    : Window(context), line_(std::move(line)), offset_(offset) {
    setWindowTitle(kViewerCaption);
    setFont(Courier(12, true));
    SetClientSizeTwips(11280, 1650);
    SetClosesOnLock(true);

    Label3 = Place("Label3", ViewerLabel(QStringLiteral("Application URL")), 210, 300, 2385, 255);
    Text3 = Place("Text3", ViewerBox(Courier(9.75, true)), 2520, 255, 7260, 375,
                  QStringLiteral("Application URL"));
    LaunchB = Place("LaunchB", ViewerButton(QStringLiteral("Launch Browser"), true), 9890, 480,
                    1185, 630);
    Label1 = Place("Label1", ViewerLabel(QStringLiteral("User Name")), 195, 720, 1860, 255);
    CT1 = Place("CT1", ViewerButton(QStringLiteral("Copy"), false), 2220, 735, 690, 270,
                QStringLiteral("Copy User Name"));
    Label2 = Place("Label2", ViewerLabel(QStringLiteral("Password")), 5340, 720, 1800, 315);
    CT2 = Place("CT2", ViewerButton(QStringLiteral("Copy"), false), 6590, 735, 690, 270,
                QStringLiteral("Copy Password"));
    CT3 = Place("CT3", ViewerButton(QStringLiteral("Copy and Minimize"), false), 7380, 735, 2310,
                270);
    Text1 = Place("Text1", ViewerBox(font()), 120, 1050, 4500, 375, QStringLiteral("User Name"));
    Text2 = Place("Text2", ViewerBox(font()), 5310, 1050, 4440, 375, QStringLiteral("Password"));

    setTabOrder(Text1, Text2);
    setTabOrder(Text2, CT1);
    setTabOrder(CT1, CT2);
    setTabOrder(CT2, Text3);
    setTabOrder(Text3, LaunchB);
    setTabOrder(LaunchB, CT3);

    CloseOnEscape();
    connect(CT1, &QPushButton::clicked, this, &BigChar::CT1_Click);
    connect(CT2, &QPushButton::clicked, this, &BigChar::CT2_Click);
    connect(CT3, &QPushButton::clicked, this, &BigChar::CT3_Click);
    connect(LaunchB, &QPushButton::clicked, this, &BigChar::LaunchB_Click);
}

void BigChar::Load() {
    MoveTwips(offset_.Horizontal, offset_.Vertical);
    Fill();
}

void BigChar::ShowLine(std::string line) {
    if (line != line_) {
        line_ = std::move(line);
        Fill();
    }
    ShowModeless();
}

void BigChar::Fill() {
    const PasswordRecord record = SplitRecordLine(line_);
    const bool named = line_.find(kFieldTab) != std::string::npos;
    SetCaption(this, named ? FromAnsi(record.ApplicationName) : kViewerCaption);
    Text3->setText(FromAnsi(record.ApplicationUrl));
    Text1->setText(FromAnsi(record.UserName));
    Text2->setText(FromAnsi(record.Password));

    context().ClipboardService.Clear();
    context().ClipboardService.SetText(Text1->text());

    LaunchB->setEnabled(Text3->text().toUpper() != QStringLiteral("N/A"));
    Text1->setFocus();  // first in the tab order, though not the first control built
}

void BigChar::CT1_Click() { CopyFrom(Text1); }

void BigChar::CT2_Click() { CopyFrom(Text2); }

void BigChar::CopyFrom(QLineEdit* box) {
    context().ClipboardService.Clear();
    context().ClipboardService.SetText(box->text());
    box->setFocus();
}

void BigChar::CT3_Click() {
    context().ClipboardService.Clear();
    context().ClipboardService.SetText(Text2->text());
    Unload();
    if (Window* main = context().Windows.Main()) main->showMinimized();
}

void BigChar::LaunchB_Click() {
    LaunchB->setEnabled(false);
    const QString address = TrimSpaces(Text3->text());
    // An imported address may name a file, a program or another scheme's
    // handler: only a web address reaches the desktop.
    if (const std::optional<std::string> web = WebAddress(address.toStdString())) {
        context().Shell.Open(QString::fromStdString(*web));
        return;
    }
    ShowExclamation(context().Boxes, NotAWebAddressText(address));
}

}  // namespace lockmere
