#include "ui/first_paint.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace lockmere {

namespace {

// Watches every object's events until a window is painted; goes with its owner.
class FirstPaint : public QObject {
public:
    FirstPaint(QObject* owner, std::function<void()> then)
        : QObject(owner), then_(std::move(then)) {
        QCoreApplication::instance()->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->isWindow()) {
            QCoreApplication::instance()->removeEventFilter(this);
            // Queued: runs once this paint has been drawn and flushed.
            QTimer::singleShot(0, parent(), std::move(then_));
            deleteLater();
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
