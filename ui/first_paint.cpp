#include "ui/first_paint.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWindow>

namespace lockmere {

namespace {

// Watches every object's events until a window is first exposed; goes with
// its owner.
class FirstPaint : public QObject {
public:
    FirstPaint(QObject* owner, std::function<void()> then)
        : QObject(owner), then_(std::move(then)) {
        QCoreApplication::instance()->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Expose && watched->isWindowType() &&
            static_cast<QWindow*>(watched)->isExposed()) {
            // The window paints while it handles this event; `then` runs
            // once the event loop is back.
            QCoreApplication::instance()->removeEventFilter(this);
            QTimer::singleShot(0, this, [this] {
                then_();
                deleteLater();
            });
        }
        return false;
    }

private:
    std::function<void()> then_;
};

}  // namespace

void AfterFirstPaint(QObject* owner, std::function<void()> then) {
    new FirstPaint(owner, std::move(then));
}

}  // namespace lockmere
