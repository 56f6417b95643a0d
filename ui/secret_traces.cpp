#include "ui/secret_traces.h"

#include <QApplication>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTimer>
#include <utility>

#if QT_CONFIG(xcb)
#include <xcb/xcb.h>
#endif

#include "store/secret_text.h"

namespace lockmere {

namespace {

// libxcb copies each small request into its connection's 16 KiB buffer and
// leaves it there once sent: a text another program took from the
// clipboard stays until later requests overwrite it. Requests that do
// nothing overwrite all of it.
void OverwriteDisplayRequests() {
#if QT_CONFIG(xcb)
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11) return;
    constexpr int kBufferBytes = 16384;
    constexpr int kRequestBytes = 4;
    xcb_connection_t* connection = x11->connection();
    for (int i = 0; i < kBufferBytes / kRequestBytes; ++i) xcb_no_operation(connection);
    xcb_flush(connection);
#endif
}

// The style caches the last item it laid out, text and all, until it lays
// out another: an empty one takes its place.
void ForgetStyleItem() {
    const QStyleOptionViewItem blank;
    QApplication::style()->subElementRect(QStyle::SE_ItemViewItemText, &blank);
}

}  // namespace

void ForgetSecretTraces() {
    // However many moments end at once (a lock closes the windows, empties
    // the clipboard and logs out), the traces go once, when the event loop
    // is back and every frame below it is dead.
    static bool pending = false;
    if (std::exchange(pending, true)) return;
    QTimer::singleShot(0, QCoreApplication::instance(), [] {
        pending = false;
        OverwriteDisplayRequests();
        ForgetStyleItem();
        ScrubUnusedStack();
    });
}

}  // namespace lockmere
