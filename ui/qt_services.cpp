#include "ui/qt_services.h"

#include <QApplication>
#include <QClipboard>
#include <QMessageBox>
#include <QMimeData>
#include <QStorageInfo>
#include <algorithm>

#include "ui/drive_list.h"

namespace lockmere {

namespace {

QMessageBox::Icon BoxIcon(MsgIcon icon) {
    switch (icon) {
    case MsgIcon::Exclamation:
        return QMessageBox::Warning;
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::Critical:
        return QMessageBox::Critical;
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

QString MessageDisplayText(const QString& text) {
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

MsgAnswer QtMessageBoxes::Show(const QString& text, const QString& title, MsgButtons buttons,
                               MsgIcon icon) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(title);
    box.setTextFormat(Qt::PlainText);  // a message may name "<" or "&"
    box.setText(MessageDisplayText(text));
    box.setIcon(BoxIcon(icon));
    box.setAccessibleName(title);
    box.setAccessibleDescription(box.text());
    if (buttons == MsgButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        // Every question asks before something is lost (edits, a record, the
        // data files): a stray Enter must not say yes.
        box.setDefaultButton(QMessageBox::No);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
    }
    switch (box.exec()) {
    case QMessageBox::Yes:
        return MsgAnswer::Yes;
    case QMessageBox::No:
        return MsgAnswer::No;
    default:
        return buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Ok;
    }
}

QtClipboard::QtClipboard() {
    // A line edit offers what the mouse selects, a shown password too.
    QClipboard* clipboard = QGuiApplication::clipboard();
    QObject::connect(clipboard, &QClipboard::selectionChanged, clipboard, [clipboard] {
        if (clipboard->ownsSelection()) clipboard->clear(QClipboard::Selection);
    });
}

void QtClipboard::Clear() { QGuiApplication::clipboard()->clear(); }

bool QtClipboard::Holds(const QString& text) {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasText() && data->text() == text;
}

void QtClipboard::SetText(const QString& text) {
    auto* data = new QMimeData;
    data->setText(text);
#ifdef Q_OS_WIN
    // Qt offers a format of any other name as the clipboard format it
    // registers under that very name. (Its "application/x-qt-windows-mime;
    // value=" spelling is understood when reading only: written, the whole
    // spelling would become the format's name.)
    for (const QString& format : kWindowsHistoryExclusionFormats)
        data->setData(format, QByteArray(4, '\0'));
#else
    data->setData(kPasswordManagerHintFormat, QByteArrayLiteral("secret"));
#endif
    QGuiApplication::clipboard()->setMimeData(data);
}

void QtBeeper::Beep() { QApplication::beep(); }

QStringList QtVolumes::MountPoints() {
    QStringList drives;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const QString drive = DriveName(volume.rootPath());
        if (volume.isValid() && volume.isReady() && !drives.contains(drive)) drives.append(drive);
    }
    const QString system = SystemDrive();
    std::sort(drives.begin(), drives.end(), [&system](const QString& a, const QString& b) {
        const bool aSystem = a == system, bSystem = b == system;
        return aSystem != bSystem ? aSystem : a < b;
    });
    return drives;
}

}  // namespace lockmere
