#include "tests/support/test_context.h"

#include <QDeadlineTimer>
#include <QDialog>
#include <QTest>
#include <QTimer>
#include <cstdlib>

#include "ui/window.h"

namespace lockmere::testing {

namespace {

// Takes down every modal window that is up, innermost first, so that a
// failed test returns instead of waiting for a click that never comes.
void DismissModalWindows() {
    QWidget* previous = nullptr;
    while (QWidget* modal = QApplication::activeModalWidget()) {
        if (modal == previous) break;  // it refused to go
        previous = modal;
        if (auto* window = dynamic_cast<Window*>(modal))
            window->Unload();
        else if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
    }
}

void Poll(QObject* owner, std::function<bool()> ready, std::function<void()> act,
          QDeadlineTimer deadline, QByteArray kind, int* waiting) {
    // A fresh timer for every try: a timer whose slot is still running (the
    // act may open a nested modal window) would not fire again.
    QTimer::singleShot(5, owner, [=] {
        // Keys reach only the active window: its shortcuts (Escape, the
        // default button) wait for the activation, which trails the show.
        QWidget* modal = QApplication::activeModalWidget();
        if (ready() && modal->isVisible() && modal->isActiveWindow()) {
            --*waiting;
            act();
            if (QTest::currentTestFailed()) DismissModalWindows();
        } else if (!deadline.hasExpired()) {
            Poll(owner, ready, act, deadline, kind, waiting);
        } else {
            --*waiting;
            QTest::qFail(QByteArray("no modal window of kind " + kind + " appeared").constData(),
                         __FILE__, __LINE__);
            DismissModalWindows();
        }
    });
}

}  // namespace

TestContext::TestContext()
    : Ctx(Folder.Path(), Boxes, ClipboardService, Shell, DriveVolumes, Speaker, SessionLock) {
    auto* watchdog = new QTimer(&timers_);
    QObject::connect(watchdog, &QTimer::timeout, [this] { WatchModal(); });
    watchdog->start(100);
}

void TestContext::WatchModal() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || waiting_ > 0) {
        unseen_.invalidate();
        return;
    }
    if (!unseen_.isValid()) unseen_.start();
    if (unseen_.elapsed() < kUnexpectedModalMs) return;
    unseen_.invalidate();
    if (!QTest::currentTestFailed())
        QTest::qFail(qPrintable(QStringLiteral("a modal window no step expected: %1 \"%2\"")
                                    .arg(QString::fromLatin1(modal->metaObject()->className()),
                                         modal->windowTitle())),
                     __FILE__, __LINE__);
    DismissModalWindows();
}

TestContext::~TestContext() {
    // Unloaded windows wait for the event loop to delete them; the open
    // ones go with the registry.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ClipboardService.CheckAccounted();
    Shell.CheckAccounted();
    // The program's end takes its text off the clipboard; no step sees that.
    Ctx.ClipboardService.Expire();
    ClipboardService.ForgetCalls();
}

void TestContext::PollModal(std::function<bool()> ready, std::function<void()> act, int timeoutMs,
                            const char* kind) {
    ++waiting_;
    Poll(&timers_, std::move(ready), std::move(act), QDeadlineTimer(timeoutMs), kind, &waiting_);
}

bool PlacedAt(const QWidget* control, const QRect& twips) {
    const QRect pixels(TwipsToPixels(twips.x()), TwipsToPixels(twips.y()),
                       TwipsToPixels(twips.width()), TwipsToPixels(twips.height()));
    const QRect actual = control->geometry();
    if (actual == pixels) return true;
    qWarning("%s %s is at %d, %d, %d x %d pixels; %d, %d, %d x %d were expected",
             control->metaObject()->className(), qPrintable(control->objectName()), actual.x(),
             actual.y(), actual.width(), actual.height(), pixels.x(), pixels.y(), pixels.width(),
             pixels.height());
    return false;
}

bool CentredOnScreen(const QWidget* window, int widthTwips, int heightTwips) {
    const QPoint actual(PixelsToTwips(window->x()), PixelsToTwips(window->y()));
    const QPoint centred((ScreenWidthTwips() - widthTwips) / 2,
                         (ScreenHeightTwips() - heightTwips) / 2);
    // 7 twips: half a pixel either way.
    if (std::abs(actual.x() - centred.x()) <= 7 && std::abs(actual.y() - centred.y()) <= 7)
        return true;
    qWarning("window at %d, %d twips; centred is %d, %d", actual.x(), actual.y(), centred.x(),
             centred.y());
    return false;
}

bool FoundByName(const QWidget* window,
                 std::initializer_list<std::pair<const char*, const QObject*>> controls) {
    bool found = true;
    for (const auto& [name, control] : controls) {
        const QObject* named = window->findChild<QObject*>(QLatin1String(name));
        if (named == control) continue;
        qWarning("\"%s\" finds %s; the control paired with it is named \"%s\"", name,
                 named ? named->metaObject()->className() : "nothing",
                 control ? qPrintable(control->objectName()) : "");
        found = false;
    }
    return found;
}

}  // namespace lockmere::testing
