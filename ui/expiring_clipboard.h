#pragma once

#include <QString>
#include <QTimer>
#include <chrono>
#include <optional>

#include "ui/services.h"

namespace lockmere {

inline constexpr std::chrono::milliseconds kClipboardLifetime{30'000};

// Passes texts on to the clipboard and takes each away again after a
// while, and when the program ends, as long as the clipboard still holds
// exactly that text: whatever the user copied since is left alone.
class ExpiringClipboard : public Clipboard {
public:
    explicit ExpiringClipboard(Clipboard& clipboard,
                               std::chrono::milliseconds lifetime = kClipboardLifetime);
    ~ExpiringClipboard() override;

    void Clear() override;
    void SetText(const QString& text) override;
    bool Holds(const QString& text) override;
    // Takes the text away now, as the end of its time would (the book locks).
    void Expire();

private:
    Clipboard& clipboard_;
    QTimer timer_;
    std::optional<QString> placed_;
};

}  // namespace lockmere
