#pragma once

#include <QDBusUnixFileDescriptor>
#include <QString>
#include <QVariantList>
#include <functional>

#include "ui/lock_signals.h"

class QDBusMessage;

namespace lockmere {

// The lock signals of a Linux desktop, over D-Bus:
// - this session's Lock from the login manager (org.freedesktop.login1 on
//   the system bus; the session found by $XDG_SESSION_ID, else by the
//   process, else login1's "auto" session);
// - ActiveChanged(true) from the screen savers on the session bus, each
//   only from the owner of its name;
// - PrepareForSleep(true) from the login manager. A delay inhibitor for
//   sleep is held while the program runs, and let go once the book is
//   locked, so that the book closes before the machine sleeps, not after
//   it wakes; it is taken again on PrepareForSleep(false).
// Not the session manager's presence status: it changes when the screen
// blanks, not when it locks. A bus or service that is missing or does not
// answer leaves the program as it is: every call is asynchronous.
class DbusLockSignals : public LockSignals {
    Q_OBJECT
public:
    void Start() override;

private slots:
    void SessionLocked();
    void ScreenSaverActive(bool active);
    void PrepareForSleep(bool starting);

private:
    // Calls a method of the login manager; `done` gets its reply or error.
    void CallLoginManager(const QString& method, const QVariantList& arguments,
                          std::function<void(const QDBusMessage&)> done);
    void TakeInhibitor();
    void FindSession();
    void FindSessionOfProcess();
    // Watches the session a reply names; false when it names none.
    bool WatchSessionIn(const QDBusMessage& reply);
    void WatchSession(const QString& path);

    QDBusUnixFileDescriptor inhibitor_;
    bool sleeping_ = false;
};

}  // namespace lockmere
