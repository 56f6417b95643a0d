// <windows.h> first: the program's headers must live with its macros.
#include <windows.h>
#include <wtsapi32.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <memory>
#include <set>
#include <string_view>

#include "tests/support/temp_folder.h"
#include "ui/drive_list.h"
#include "ui/lock_signals.h"
#include "ui/qt_services.h"

using namespace lockmere;
using namespace lockmere::testing;

namespace {

// The top-level windows of this thread, which the system's notices reach.
std::set<HWND> ThreadWindows() {
    std::set<HWND> windows;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM found) {
            // The system's input-method window comes with a thread's first
            // window; it is not the program's.
            wchar_t kind[8] = {};
            GetClassNameW(window, kind, 8);
            if (std::wstring_view(kind) != L"IME")
                reinterpret_cast<std::set<HWND>*>(found)->insert(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    return windows;
}

// The sleep notice as the system gives it: sent to every top-level window,
// each answering before the machine goes on.
void BroadcastSuspend(WPARAM event) {
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(HWND_BROADCAST, WM_POWERBROADCAST, event, 0, SMTO_ABORTIFHUNG, 5000,
                        &answer);
}

// The user's own classes, where Windows looks first; and the machine's,
// where Wine alone looks for an address's handler (it runs as administrator;
// on Windows the test needs no such right).
const HKEY kClassRoots[] = {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE};
const std::wstring kTestScheme = L"Software\\Classes\\lockmere-test";

void SetKeyText(const std::wstring& key, const std::wstring& name, const std::wstring& text) {
    for (HKEY root : kClassRoots) {
        HKEY opened = nullptr;
        if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened,
                            nullptr) != ERROR_SUCCESS) {
            QVERIFY(root != HKEY_CURRENT_USER);
            continue;
        }
        QCOMPARE(RegSetValueExW(opened, name.empty() ? nullptr : name.c_str(), 0, REG_SZ,
                                reinterpret_cast<const BYTE*>(text.c_str()),
                                DWORD((text.size() + 1) * sizeof(wchar_t))),
                 LONG(ERROR_SUCCESS));
        RegCloseKey(opened);
    }
}

void RemoveTestScheme() {
    for (HKEY root : kClassRoots) RegDeleteTreeW(root, kTestScheme.c_str());
}

}  // namespace

class WindowsServicesTest : public QObject {
    Q_OBJECT

private slots:
    void lockNotices_data();
    void lockNotices();
    void listensFromStartUntilGone();
    void shellOpensTheAddressAsTyped();
    void volumesAreDriveLetters();
};

void WindowsServicesTest::lockNotices_data() {
    QTest::addColumn<uint>("message");
    QTest::addColumn<qulonglong>("event");
    QTest::addColumn<bool>("locks");
    const uint session = WM_WTSSESSION_CHANGE, power = WM_POWERBROADCAST;
    QTest::newRow("session locked") << session << qulonglong(WTS_SESSION_LOCK) << true;
    QTest::newRow("console left for another user")
        << session << qulonglong(WTS_CONSOLE_DISCONNECT) << true;
    QTest::newRow("remote terminal disconnected")
        << session << qulonglong(WTS_REMOTE_DISCONNECT) << true;
    QTest::newRow("session unlocked") << session << qulonglong(WTS_SESSION_UNLOCK) << false;
    QTest::newRow("console connected") << session << qulonglong(WTS_CONSOLE_CONNECT) << false;
    QTest::newRow("logon") << session << qulonglong(WTS_SESSION_LOGON) << false;
    QTest::newRow("about to sleep") << power << qulonglong(PBT_APMSUSPEND) << true;
    QTest::newRow("woke up") << power << qulonglong(PBT_APMRESUMEAUTOMATIC) << false;
    QTest::newRow("on battery") << power << qulonglong(PBT_APMPOWERSTATUSCHANGE) << false;
}

void WindowsServicesTest::lockNotices() {
    QFETCH(uint, message);
    QFETCH(qulonglong, event);
    QFETCH(bool, locks);
    const std::set<HWND> before = ThreadWindows();
    const std::unique_ptr<LockSignals> notices = PlatformLockSignals();
    notices->Start();
    std::set<HWND> added = ThreadWindows();
    for (HWND window : before) added.erase(window);
    QCOMPARE(added.size(), std::size_t(1));
    const HWND window = *added.begin();
    // Hidden, and top-level: the sleep notice skips message-only windows.
    QVERIFY(!IsWindowVisible(window));
    QCOMPARE(GetAncestor(window, GA_PARENT), GetDesktopWindow());

    QSignalSpy locked(notices.get(), &LockSignals::Locked);
    if (message == WM_POWERBROADCAST) {
        BroadcastSuspend(event);
        // Locked before the notice returned, not when the machine wakes.
        QCOMPARE(locked.count(), locks ? 1 : 0);
    } else {
        // The session's notices are posted to the registered window.
        QVERIFY(PostMessageW(window, message, WPARAM(event), 0));
        QTest::qWait(200);
        QCOMPARE(locked.count(), locks ? 1 : 0);
    }
}

void WindowsServicesTest::listensFromStartUntilGone() {
    const std::set<HWND> before = ThreadWindows();
    auto notices = PlatformLockSignals();
    QSignalSpy locked(notices.get(), &LockSignals::Locked);
    // Nothing before the start: the first window is painted first.
    QCOMPARE(ThreadWindows(), before);
    BroadcastSuspend(PBT_APMSUSPEND);
    QCOMPARE(locked.count(), 0);

    notices->Start();
    notices->Start();  // once is enough
    QCOMPARE(ThreadWindows().size(), before.size() + 1);
    BroadcastSuspend(PBT_APMSUSPEND);
    QCOMPARE(locked.count(), 1);

    notices.reset();
    QCOMPARE(ThreadWindows(), before);
    BroadcastSuspend(PBT_APMSUSPEND);  // nobody left to tell
}

void WindowsServicesTest::shellOpensTheAddressAsTyped() {
    // A scheme of the test's own, whose handler for "open" is a recorder that
    // writes the verb and the address it got; its default verb is another,
    // so that a call that names no verb lands there on Windows (Wine takes
    // "open" for a call without one). Nothing of the user's handlers changes.
    TempFolder folder;
    const QString record =
        QDir::toNativeSeparators(QString::fromStdWString(folder.File("request.txt").wstring()));
    const QString recorder = QDir::toNativeSeparators(QCoreApplication::applicationDirPath() +
                                                      "/shell_request_recorder.exe");
    QVERIFY(QFile::exists(recorder));
    const auto command = [&](const QString& verb) {
        return QStringLiteral("\"%1\" \"%2\" %3 \"%4\"")
            .arg(recorder, record, verb, "%1")
            .toStdWString();
    };
    SetKeyText(kTestScheme, L"", L"URL:lockmere-test");
    SetKeyText(kTestScheme, L"URL Protocol", L"");
    SetKeyText(kTestScheme + L"\\shell", L"", L"inspect");
    SetKeyText(kTestScheme + L"\\shell\\inspect\\command", L"", command("inspect"));
    SetKeyText(kTestScheme + L"\\shell\\open\\command", L"", command("open"));

    const QString address =
        QStringLiteral("lockmere-test://accounts.example.org/login?next=%2Fhome");
    SystemShellOpen().Open(address);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(record), 30000);
    RemoveTestScheme();

    QFile file(record);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(file.readAll()), "open\n" + address);
}

void WindowsServicesTest::volumesAreDriveLetters() {
    // Wine offers C: for its own folder and Z: for the whole Linux tree.
    const QStringList drives = QtVolumes().MountPoints();
    QVERIFY2(drives.size() >= 2, qPrintable(drives.join(' ')));
    QCOMPARE(drives.first(), QStringLiteral("C:"));
    QVERIFY(drives.contains(QStringLiteral("Z:")));
    for (const QString& drive : drives) {
        QVERIFY2(drive.size() == 2 && drive[0].isUpper() && drive[1] == u':', qPrintable(drive));
        QCOMPARE(DriveRoot(drive), drive + u'/');
    }
}

QTEST_MAIN(WindowsServicesTest)
#include "windows_services_test.moc"
