#include "tests/support/test_context.h"

#include <QDeadlineTimer>
#include <QDialog>
#include <QTest>
#include <QTimer>

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
        if (auto* window = dynamic_cast<Window*>(modal)) window->Unload();
        else if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
        else modal->close();
    }
}

void Poll(QObject* owner, std::function<bool()> ready, std::function<void()> act,
          QDeadlineTimer deadline, QByteArray kind) {
    // A fresh timer for every try: a timer whose slot is still running (the
    // act may open a nested modal window) would not fire again.
    QTimer::singleShot(5, owner, [=] {
        QWidget* modal = QApplication::activeModalWidget();
        if (ready() && modal->isVisible()) {
            act();
            if (QTest::currentTestFailed()) DismissModalWindows();
        } else if (!deadline.hasExpired()) {
            Poll(owner, ready, act, deadline, kind);
        } else {
            QTest::qFail(QByteArray("no modal window of kind " + kind + " appeared").constData(),
                         __FILE__, __LINE__);
            DismissModalWindows();
        }
    });
}

}  // namespace

TestContext::TestContext()
    : Ctx(Folder.Path(), Boxes, ClipboardService, Shell, DriveVolumes) {}

TestContext::~TestContext() {
    // Unloaded windows wait for the event loop to delete them; the open
    // ones go with the registry.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TestContext::PollModal(std::function<bool()> ready, std::function<void()> act,
                            int timeoutMs, const char* kind) {
    Poll(&timers_, std::move(ready), std::move(act), QDeadlineTimer(timeoutMs), kind);
}

QRect TwipsRect(int left, int top, int width, int height) {
    return QRect(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width),
                 TwipsToPixels(height));
}

}  // namespace lockmere::testing
