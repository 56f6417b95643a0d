#include <QTest>
#include <filesystem>

#include "tests/support/test_context.h"

using namespace lockmere;
using namespace lockmere::testing;

// The doubles every window test relies on: a fault here would hide faults
// in the windows.
class RecordingServicesTest : public QObject {
    Q_OBJECT

private slots:
    void boxesAnswerFromScriptThenCountUnexpected();
    void contextLivesInItsOwnFolder();
};

void RecordingServicesTest::boxesAnswerFromScriptThenCountUnexpected() {
    RecordingMessageBoxes boxes;
    boxes.Queue(MsgAnswer::Yes);
    boxes.Queue(MsgAnswer::Ok);
    QStringList seen;
    boxes.OnShow = [&](const RecordedBox& box) { seen << box.Title; };

    const QString title = QStringLiteral("LKMR - Message Center");
    QCOMPARE(boxes.Show("Sure?", title, MsgButtons::YesNo, MsgIcon::None), MsgAnswer::Yes);
    QCOMPARE(boxes.Show("Saved", "second", MsgButtons::Ok, MsgIcon::Information), MsgAnswer::Ok);
    QCOMPARE(boxes.Unexpected(), 0);
    QCOMPARE(boxes.PendingAnswers(), std::size_t(0));

    // Unscripted boxes get the harmless answer and are counted.
    QCOMPARE(boxes.Show("Quit?", "third", MsgButtons::YesNo, MsgIcon::None), MsgAnswer::No);
    QCOMPARE(boxes.Show("Oops", "fourth", MsgButtons::Ok, MsgIcon::Critical), MsgAnswer::Ok);
    QCOMPARE(boxes.Unexpected(), 2);

    QCOMPARE(boxes.Texts(), QStringList({"Sure?", "Saved", "Quit?", "Oops"}));
    QCOMPARE(seen, QStringList({title, "second", "third", "fourth"}));
    const RecordedBox& last = boxes.Boxes().back();
    QCOMPARE(last.Icon, MsgIcon::Critical);
    QCOMPARE(last.Buttons, MsgButtons::Ok);
    QVERIFY(!last.Scripted);
}

void RecordingServicesTest::contextLivesInItsOwnFolder() {
    std::filesystem::path folder;
    {
        TestContext t;
        folder = t.Ctx.ProgramFolder;
        QVERIFY(std::filesystem::is_directory(folder));
        QVERIFY(std::filesystem::is_empty(folder));
        QCOMPARE(t.File("lkdb0.lkd"), folder / "lkdb0.lkd");
        TestContext other;
        QVERIFY(other.Ctx.ProgramFolder != folder);

        t.ClipboardService.Clear();
        t.ClipboardService.SetText(QStringLiteral("bob"));
        QCOMPARE(t.ClipboardService.Calls, QStringList({"clear", "set bob"}));
        QCOMPARE(t.ClipboardService.Text, QStringLiteral("bob"));
    }
    QVERIFY(!std::filesystem::exists(folder));
}

QTEST_MAIN(RecordingServicesTest)
#include "recording_services_test.moc"
