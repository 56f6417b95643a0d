#include "app/desktop_identity.h"

#include <QApplication>
#include <QEvent>
#include <QIcon>
#include <QString>
#include <QTimer>
#include <QWindow>

namespace lockmere {

namespace {

void SetWindowIcon() {
    // PNG renderings in the resources: no SVG library at run time.
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/lockmere-%1.png").arg(size), QSize(size, size));
    QApplication::setWindowIcon(icon);
}

// Decoding six pictures and handing them to the window manager must not
// hold up the first window's first picture: the icon follows it. The menu
// and the launcher show the desktop entry's icon meanwhile.
class IconAfterFirstPaint : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Expose && watched->isWindowType() &&
            static_cast<QWindow*>(watched)->isExposed()) {
            // The window paints while it handles this event; the icon
            // comes once the event loop is back.
            QCoreApplication::instance()->removeEventFilter(this);
            QTimer::singleShot(0, this, [this] {
                SetWindowIcon();
                deleteLater();
            });
        }
        return false;
    }
};

}  // namespace

void ApplyDesktopIdentity() {
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kDesktopEntryId));
    QCoreApplication::instance()->installEventFilter(
        new IconAfterFirstPaint(QCoreApplication::instance()));
}

}  // namespace lockmere
