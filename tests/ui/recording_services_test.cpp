#include <QElapsedTimer>
#include <QTest>
#include <filesystem>

#include "tests/support/test_context.h"
#include "ui/window.h"

using namespace lockmere;
using namespace lockmere::testing;

namespace {

class Stray : public Window {
public:
    using Window::Window;
};

enum class Slip {
    UnreadBox,
    UnusedAnswer,
    AnswerDroppedByClear,
    BoxAfterTheLastLook,
    UnreadClipboardCall,
    ClipboardCallAfterTheLastLook,
    UnreadShellOpen,
    UnreadCallInAContext,
};

}  // namespace

Q_DECLARE_METATYPE(Slip)

// The doubles every window test relies on: a fault here would hide faults
// in the windows.
class RecordingServicesTest : public QObject {
    Q_OBJECT

private slots:
    void boxesAnswerFromScriptThenCountUnexpected();
    void contextLivesInItsOwnFolder();
    void slipsInTheScriptFailTheTest_data();
    void slipsInTheScriptFailTheTest();
    void unexpectedModalWindowIsClosedAndFails();
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
        QCOMPARE(t.ClipboardService.Calls(), QStringList({"clear", "set bob"}));
        QCOMPARE(t.ClipboardService.Text(), QStringLiteral("bob"));
    }
    QVERIFY(!std::filesystem::exists(folder));
}

void RecordingServicesTest::slipsInTheScriptFailTheTest_data() {
    QTest::addColumn<Slip>("slip");
    QTest::newRow("box neither scripted nor read") << Slip::UnreadBox;
    QTest::newRow("answer no box took") << Slip::UnusedAnswer;
    QTest::newRow("answer dropped by Clear") << Slip::AnswerDroppedByClear;
    QTest::newRow("box after the last look") << Slip::BoxAfterTheLastLook;
    QTest::newRow("clipboard call nobody read") << Slip::UnreadClipboardCall;
    QTest::newRow("clipboard call after the last look") << Slip::ClipboardCallAfterTheLastLook;
    QTest::newRow("address opened that nobody read") << Slip::UnreadShellOpen;
    QTest::newRow("clipboard call no step of a context read") << Slip::UnreadCallInAContext;
}

void RecordingServicesTest::slipsInTheScriptFailTheTest() {
    QFETCH(Slip, slip);
    // The recorder fails the test as it goes; a slip it misses passes
    // unexpectedly, which fails too.
    QEXPECT_FAIL("", "the recorder reports the slip", Continue);
    RecordingMessageBoxes boxes;
    RecordingClipboard clipboard;
    RecordingShell shell;
    switch (slip) {
    case Slip::UnreadBox:
        boxes.Show("Saved", "LKMR", MsgButtons::Ok, MsgIcon::None);
        break;
    case Slip::UnusedAnswer:
        boxes.Queue(MsgAnswer::Yes);
        break;
    case Slip::AnswerDroppedByClear:
        boxes.Queue(MsgAnswer::Yes);
        boxes.Clear();
        break;
    case Slip::BoxAfterTheLastLook:
        boxes.Show("first", "LKMR", MsgButtons::Ok, MsgIcon::None);
        (void)boxes.Texts();
        boxes.Show("second", "LKMR", MsgButtons::Ok, MsgIcon::None);
        break;
    case Slip::UnreadClipboardCall:
        clipboard.SetText(QStringLiteral("hunter2"));
        break;
    case Slip::ClipboardCallAfterTheLastLook:
        clipboard.SetText(QStringLiteral("hunter2"));
        (void)clipboard.HoldsText();
        clipboard.Clear();
        break;
    case Slip::UnreadShellOpen:
        shell.Open(QStringLiteral("https://mail.example"));
        break;
    case Slip::UnreadCallInAContext: {
        TestContext t;
        t.Ctx.ClipboardService.SetText(QStringLiteral("hunter2"));
        break;
    }
    }
    boxes.CheckAccounted();
    clipboard.CheckAccounted();
    shell.CheckAccounted();
}

void RecordingServicesTest::unexpectedModalWindowIsClosedAndFails() {
    TestContext t;
    Stray* window = t.Ctx.Windows.Open<Stray>(t.Ctx);
    QElapsedTimer clock;
    clock.start();
    QEXPECT_FAIL("", "no step waits for the window", Continue);
    window->ShowModal();  // would wait for a click forever
    QVERIFY(clock.elapsed() < 3 * TestContext::kUnexpectedModalMs);
}

QTEST_MAIN(RecordingServicesTest)
#include "recording_services_test.moc"
