#include <QDesktopServices>
#include <QUrl>

#include "ui/qt_services.h"

namespace lockmere {

// Only web addresses come here (the viewer's Launch Browser), never a
// name the desktop would read as a file.
void SystemShellOpen::Open(const QString& address) { QDesktopServices::openUrl(QUrl(address)); }

}  // namespace lockmere
