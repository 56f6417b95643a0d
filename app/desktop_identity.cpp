#include "app/desktop_identity.h"

#include <QApplication>
#include <QIcon>
#include <QString>

namespace lockmere {

void ApplyDesktopIdentity() {
    // PNG renderings in the resources: no SVG library at run time.
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/lockmere-%1.png").arg(size), QSize(size, size));
    QApplication::setWindowIcon(icon);
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kDesktopEntryId));
}

}  // namespace lockmere
