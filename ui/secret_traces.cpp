#include "ui/secret_traces.h"

#include <QApplication>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTimer>

#include "store/secret_text.h"

namespace lockmere {

void ForgetSecretTraces() {
    // The style caches the last item it laid out, text and all, until it
    // lays out another: an empty one takes its place.
    const QStyleOptionViewItem blank;
    QApplication::style()->subElementRect(QStyle::SE_ItemViewItemText, &blank);
    QTimer::singleShot(0, QCoreApplication::instance(), [] { ScrubUnusedStack(); });
}

}  // namespace lockmere
