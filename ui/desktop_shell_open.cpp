#include <QDesktopServices>
#include <QUrl>

#include "ui/qt_services.h"

namespace lockmere {

// The desktop opens addresses, not names: one typed without a scheme is
// read as a user would mean it.
void SystemShellOpen::Open(const QString& address) {
    QDesktopServices::openUrl(QUrl::fromUserInput(address));
}

}  // namespace lockmere
