#pragma once

#include <QObject>
#include <memory>

namespace lockmere {

// Tells the program that its user has walked away: the session was locked,
// the screen saver came on, or the machine is about to sleep. Where the
// platform gives no such signal, it never tells.
class LockSignals : public QObject {
    Q_OBJECT
public:
    // Starts listening. Called once, after the first window has been
    // painted: it may connect to the platform's services, never waiting for
    // their answers.
    virtual void Start() {}

signals:
    // The book locks now; it is locked once the connected slots have returned.
    void Locked();
};

// The lock signals of the platform the program was built for.
std::unique_ptr<LockSignals> PlatformLockSignals();

}  // namespace lockmere
