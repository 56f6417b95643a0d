#include "app/desktop_identity.h"

#include <QApplication>
#include <QIcon>
#include <QString>

#include "ui/first_paint.h"

namespace lockmere {

namespace {

void SetWindowIcon() {
    // PNG renderings in the resources: no SVG library at run time.
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/lockmere-%1.png").arg(size), QSize(size, size));
    QApplication::setWindowIcon(icon);
}

}  // namespace

void ApplyDesktopIdentity() {
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kDesktopEntryId));
    // Decoding six pictures and handing them to the window manager must not
    // hold up the first window's first picture: the icon follows it. The
    // menu and the launcher show the desktop entry's icon meanwhile.
    AfterFirstPaint(QCoreApplication::instance(), SetWindowIcon);
}

}  // namespace lockmere
