#include "ui/caption.h"

#include <QGuiApplication>
#include <QString>
#include <QWidget>

#if QT_CONFIG(xcb)
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#endif

namespace lockmere {

void SetCaption(QWidget* window, const QString& text) {
    // The toolkit reads a single "[*]" as the modified marker; a doubled
    // one shows as the text itself.
    QString escaped = text;
    escaped.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    window->setWindowTitle(escaped);
    KeepEmptyCaption(window);
}

void KeepEmptyCaption(QWidget* window) {
    if (!window->windowTitle().isEmpty() || !window->testAttribute(Qt::WA_WState_Created)) return;
#if QT_CONFIG(xcb)
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11) return;
    xcb_connection_t* connection = x11->connection();
    const char netName[] = "_NET_WM_NAME";
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection,
        xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(netName)), netName),
        nullptr);
    const auto id = static_cast<xcb_window_t>(window->winId());
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        0, nullptr);
    if (atom) {
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, atom->atom, XCB_ATOM_STRING, 8,
                            0, nullptr);
        std::free(atom);
    }
    xcb_flush(connection);
#endif
}

}  // namespace lockmere
