#include "ui/expiring_clipboard.h"

#include "ui/secret_traces.h"

namespace lockmere {

ExpiringClipboard::ExpiringClipboard(Clipboard& clipboard, std::chrono::milliseconds lifetime)
    : clipboard_(clipboard) {
    timer_.setSingleShot(true);
    timer_.setInterval(lifetime);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Expire(); });
}

ExpiringClipboard::~ExpiringClipboard() { Expire(); }

void ExpiringClipboard::Clear() { clipboard_.Clear(); }

void ExpiringClipboard::SetText(const QString& text) {
    clipboard_.SetText(text);
    placed_ = text;
    timer_.start();  // a text set earlier is no longer there
}

bool ExpiringClipboard::Holds(const QString& text) { return clipboard_.Holds(text); }

void ExpiringClipboard::Expire() {
    timer_.stop();
    if (!placed_) return;
    if (clipboard_.Holds(*placed_)) clipboard_.Clear();
    placed_.reset();
    ForgetSecretTraces();
}

}  // namespace lockmere
