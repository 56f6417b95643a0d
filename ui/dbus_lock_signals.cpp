#include "ui/dbus_lock_signals.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QTimer>

namespace lockmere {

namespace {

const QString kLogin = QStringLiteral("org.freedesktop.login1");
const QString kLoginPath = QStringLiteral("/org/freedesktop/login1");
const QString kLoginManager = QStringLiteral("org.freedesktop.login1.Manager");
const QString kLoginSession = QStringLiteral("org.freedesktop.login1.Session");
// login1's name for the caller's own session.
const QString kAutoSession = QStringLiteral("/org/freedesktop/login1/session/auto");

// Each screen saver sends ActiveChanged on an interface named as its service.
struct ScreenSaver {
    const char* Service;
    const char* Path;
};
constexpr ScreenSaver kScreenSavers[] = {
    {"org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver"},
    {"org.freedesktop.ScreenSaver", "/ScreenSaver"},
    {"org.gnome.ScreenSaver", "/org/gnome/ScreenSaver"},
    {"org.xfce.ScreenSaver", "/org/xfce/ScreenSaver"},
};

}  // namespace

std::unique_ptr<LockSignals> PlatformLockSignals() { return std::make_unique<DbusLockSignals>(); }

void DbusLockSignals::Start() {
    // A connection to a named service hears only the present owner of that
    // name: another program cannot lock the book by sending the signal.
    QDBusConnection session = QDBusConnection::sessionBus();
    if (session.isConnected()) {
        for (const ScreenSaver& saver : kScreenSavers) {
            const QString service = QLatin1String(saver.Service);
            session.connect(service, QLatin1String(saver.Path), service,
                            QStringLiteral("ActiveChanged"), this, SLOT(ScreenSaverActive(bool)));
        }
    }
    QDBusConnection system = QDBusConnection::systemBus();
    if (!system.isConnected()) return;
    system.connect(kLogin, kLoginPath, kLoginManager, QStringLiteral("PrepareForSleep"), this,
                   SLOT(PrepareForSleep(bool)));
    TakeInhibitor();
    FindSession();
}

void DbusLockSignals::SessionLocked() { emit Locked(); }

void DbusLockSignals::ScreenSaverActive(bool active) {
    if (active) emit Locked();
}

void DbusLockSignals::PrepareForSleep(bool starting) {
    sleeping_ = starting;
    if (!starting) {
        TakeInhibitor();
        return;
    }
    emit Locked();
    // Let go once the closed windows have been drawn: the screen shows no
    // record when the machine wakes.
    QTimer::singleShot(0, this, [this] { inhibitor_ = QDBusUnixFileDescriptor(); });
}

void DbusLockSignals::CallLoginManager(const QString& method, const QVariantList& arguments,
                                       std::function<void(const QDBusMessage&)> done) {
    QDBusMessage call = QDBusMessage::createMethodCall(kLogin, kLoginPath, kLoginManager, method);
    call.setArguments(arguments);
    auto* watcher = new QDBusPendingCallWatcher(QDBusConnection::systemBus().asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [watcher, done = std::move(done)] {
        watcher->deleteLater();
        done(watcher->reply());
    });
}

void DbusLockSignals::TakeInhibitor() {
    CallLoginManager(QStringLiteral("Inhibit"),
                     {QStringLiteral("sleep"), QStringLiteral("Lockmere"),
                      QStringLiteral("Closes the password book before the machine sleeps"),
                      QStringLiteral("delay")},
                     [this](const QDBusMessage& reply) {
                         // Taken too late: the machine is already on its way to sleep.
                         if (sleeping_ || reply.type() != QDBusMessage::ReplyMessage ||
                             reply.arguments().isEmpty())
                             return;
                         inhibitor_ =
                             qvariant_cast<QDBusUnixFileDescriptor>(reply.arguments().constFirst());
                     });
}

void DbusLockSignals::FindSession() {
    const QString id = qEnvironmentVariable("XDG_SESSION_ID");
    if (id.isEmpty()) {
        FindSessionOfProcess();
        return;
    }
    CallLoginManager(QStringLiteral("GetSession"), {id}, [this](const QDBusMessage& reply) {
        if (!WatchSessionIn(reply)) FindSessionOfProcess();
    });
}

void DbusLockSignals::FindSessionOfProcess() {
    const auto pid = static_cast<quint32>(QCoreApplication::applicationPid());
    CallLoginManager(QStringLiteral("GetSessionByPID"), {QVariant::fromValue(pid)},
                     [this](const QDBusMessage& reply) {
                         if (!WatchSessionIn(reply)) WatchSession(kAutoSession);
                     });
}

bool DbusLockSignals::WatchSessionIn(const QDBusMessage& reply) {
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return false;
    const QVariant path = reply.arguments().constFirst();
    if (path.metaType() != QMetaType::fromType<QDBusObjectPath>()) return false;
    const QString session = path.value<QDBusObjectPath>().path();
    if (session.isEmpty()) return false;
    WatchSession(session);
    return true;
}

void DbusLockSignals::WatchSession(const QString& path) {
    // Another session's Lock comes from another object.
    QDBusConnection::systemBus().connect(kLogin, path, kLoginSession, QStringLiteral("Lock"), this,
                                         SLOT(SessionLocked()));
}

}  // namespace lockmere
