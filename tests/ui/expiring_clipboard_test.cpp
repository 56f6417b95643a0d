#include <QTest>
#include <chrono>
#include <memory>

#include "tests/support/recording_services.h"
#include "ui/expiring_clipboard.h"

using namespace lockmere;
using namespace lockmere::testing;
using namespace std::chrono_literals;

class ExpiringClipboardTest : public QObject {
    Q_OBJECT

private slots:
    void emptiedWhenTheTimeIsUp();
    void leavesWhatTheUserCopiedSince();
    void aLaterTextGetsItsOwnTime();
    void emptiedWhenTheProgramEndsOrTheBookLocks_data();
    void emptiedWhenTheProgramEndsOrTheBookLocks();
};

void ExpiringClipboardTest::emptiedWhenTheTimeIsUp() {
    RecordingClipboard system;
    ExpiringClipboard clipboard(system, 100ms);
    clipboard.Clear();
    clipboard.SetText(QStringLiteral("hunter2"));
    QCOMPARE(system.Text(), QStringLiteral("hunter2"));
    QTest::qWait(30);
    QVERIFY(system.HoldsText());
    QTRY_VERIFY_WITH_TIMEOUT(!system.HoldsText(), 2000);
    QCOMPARE(system.Calls(), QStringList({"clear", "set hunter2", "clear"}));
}

void ExpiringClipboardTest::leavesWhatTheUserCopiedSince() {
    RecordingClipboard system;
    ExpiringClipboard clipboard(system, 20ms);
    clipboard.SetText(QStringLiteral("hunter2"));
    system.SetText(QStringLiteral("my own note"));  // copied in another program
    QTest::qWait(150);
    QCOMPARE(system.Text(), QStringLiteral("my own note"));
    QCOMPARE(system.Calls(), QStringList({"set hunter2", "set my own note"}));
}

void ExpiringClipboardTest::aLaterTextGetsItsOwnTime() {
    RecordingClipboard system;
    ExpiringClipboard clipboard(system, 300ms);
    clipboard.SetText(QStringLiteral("alice"));
    QTest::qWait(200);
    clipboard.SetText(QStringLiteral("hunter2"));
    QTest::qWait(200);  // past the first text's time, not the second's
    QCOMPARE(system.Text(), QStringLiteral("hunter2"));
    QTRY_VERIFY_WITH_TIMEOUT(!system.HoldsText(), 2000);
}

void ExpiringClipboardTest::emptiedWhenTheProgramEndsOrTheBookLocks_data() {
    QTest::addColumn<bool>("userCopied");
    QTest::addColumn<bool>("locked");
    QTest::newRow("program ends, still the program's text") << false << false;
    QTest::newRow("program ends, the user's text since") << true << false;
    QTest::newRow("book locks, still the program's text") << false << true;
    QTest::newRow("book locks, the user's text since") << true << true;
}

void ExpiringClipboardTest::emptiedWhenTheProgramEndsOrTheBookLocks() {
    QFETCH(bool, userCopied);
    QFETCH(bool, locked);
    RecordingClipboard system;
    auto clipboard = std::make_unique<ExpiringClipboard>(system);  // 30 s: never reached here
    clipboard->SetText(QStringLiteral("hunter2"));
    if (userCopied) system.SetText(QStringLiteral("my own note"));
    if (locked)
        clipboard->Expire();
    else
        clipboard.reset();
    QCOMPARE(system.HoldsText(), userCopied);
    QCOMPARE(system.Calls().last(),
             userCopied ? QStringLiteral("set my own note") : QStringLiteral("clear"));
    if (!locked) return;

    // Taken away once: neither a second lock nor the end touches what the
    // user copies afterwards.
    system.SetText(QStringLiteral("copied after the lock"));
    clipboard->Expire();
    clipboard.reset();
    QCOMPARE(system.Text(), QStringLiteral("copied after the lock"));
    QVERIFY(system.HoldsText());
}

QTEST_MAIN(ExpiringClipboardTest)
#include "expiring_clipboard_test.moc"
