// A box with a length limit: every way of pasting is judged on the text the
// box would hold, whole, and a refused change leaves the box as it was.
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>

#include "ui/limited_line_edit.h"

using namespace lockmere;

namespace {

// The context menu the box shows.
QMenu* ShownMenu() {
    for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* menu = qobject_cast<QMenu*>(top); menu && menu->isVisible()) return menu;
    return nullptr;
}

// Pastes `text` into the box the way named.
void PasteBy(const QString& way, LimitedLineEdit* box, const QString& text) {
    QGuiApplication::clipboard()->setText(text);
    if (way == QLatin1String("Ctrl+V")) {
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    } else if (way == QLatin1String("Shift+Insert")) {
        QTest::keyClick(box, Qt::Key_Insert, Qt::ShiftModifier);
    } else if (way == QLatin1String("context menu")) {
        QContextMenuEvent open(QContextMenuEvent::Mouse, QPoint(5, 5),
                               box->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(box, &open);
        QMenu* menu = ShownMenu();
        QVERIFY(menu);
        for (QAction* action : menu->actions())
            if (action->text().startsWith(QStringLiteral("&Paste"))) action->trigger();
        menu->close();
    } else {
        // A drop lands where it is let go: at the start of the text here.
        QMimeData data;
        data.setText(text);
        QDragEnterEvent enter(QPoint(1, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(box, &enter);
        QDropEvent drop(QPointF(1, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(box, &drop);
    }
}

}  // namespace

class LimitedLineEditTest : public QObject {
    Q_OBJECT

private slots:
    void everyWayOfPasting_data();
    void everyWayOfPasting();
    void typingStopsAtTheLimitWithASignal();
    void wholeTextFromTheStoreRaisesTheLimit();
    void messageNamesTheBoxAndItsLimit();
};

// clang-format off
void LimitedLineEditTest::everyWayOfPasting_data() {
    QTest::addColumn<QString>("way");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("result");  // empty: refused, the box as it was
    for (const char* way : {"Ctrl+V", "Shift+Insert", "context menu", "drop"}) {
        const bool drop = QByteArray(way) == "drop";
        QTest::addRow("%s: fits exactly", way) << way << "xy" << (drop ? "xyabc" : "abcxy");
        QTest::addRow("%s: one too many", way) << way << "xyz" << "";
    }
}
// clang-format on

void LimitedLineEditTest::everyWayOfPasting() {
    QFETCH(QString, way);
    QFETCH(QString, pasted);
    QFETCH(QString, result);
    LimitedLineEdit box(5);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    box.setText(QStringLiteral("abc"));
    QSignalSpy refused(&box, &LimitedLineEdit::PasteRefused);
    QSignalSpy typed(&box, &LimitedLineEdit::TypingRefused);

    PasteBy(way, &box, pasted);

    QCOMPARE(typed.count(), 0);
    if (result.isEmpty()) {
        QCOMPARE(box.text(), QStringLiteral("abc"));
        QCOMPARE(refused.count(), 1);
        QCOMPARE(refused.first(), QVariantList({3, 6}));
    } else {
        QCOMPARE(box.text(), result);
        QCOMPARE(refused.count(), 0);
    }
}

void LimitedLineEditTest::typingStopsAtTheLimitWithASignal() {
    LimitedLineEdit box(5);
    QSignalSpy refused(&box, &LimitedLineEdit::TypingRefused);
    QSignalSpy pasteRefused(&box, &LimitedLineEdit::PasteRefused);
    QTest::keyClicks(&box, "abcdefg");
    QCOMPARE(box.text(), QStringLiteral("abcde"));
    QCOMPARE(refused.count(), 2);

    // A character typed over a selection replaces it, full box or not.
    box.setSelection(1, 2);
    QTest::keyClicks(&box, "X");
    QCOMPARE(box.text(), QStringLiteral("aXde"));
    QCOMPARE(refused.count(), 2);
    QCOMPARE(pasteRefused.count(), 0);
}

void LimitedLineEditTest::wholeTextFromTheStoreRaisesTheLimit() {
    LimitedLineEdit box(5);
    box.SetWholeText(QStringLiteral("1234567"));
    QCOMPARE(box.text(), QStringLiteral("1234567"));
    QCOMPARE(box.Limit(), 7);
    QSignalSpy refused(&box, &LimitedLineEdit::TypingRefused);
    QTest::keyClicks(&box, "8");
    QCOMPARE(box.text(), QStringLiteral("1234567"));
    QCOMPARE(refused.count(), 1);
    box.SetWholeText(QStringLiteral("12"));
    QCOMPARE(box.Limit(), 7);
}

void LimitedLineEditTest::messageNamesTheBoxAndItsLimit() {
    QCOMPARE(PasteRefusedText(QStringLiteral("Password"), 15, 21, 21),
             QStringLiteral("The Password box holds at most 15 characters; the text you pasted "
                            "has 21. Nothing was pasted."));
    // A paste that would fit an empty box, but not beside what the box holds.
    QCOMPARE(PasteRefusedText(QStringLiteral("User Name"), 40, 6, 43),
             QStringLiteral("The User Name box holds at most 40 characters; with the text you "
                            "pasted it would hold 43. Nothing was pasted."));
}

QTEST_MAIN(LimitedLineEditTest)
#include "limited_line_edit_test.moc"
