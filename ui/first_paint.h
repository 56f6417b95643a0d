#pragma once

#include <QObject>
#include <functional>

namespace lockmere {

// Runs `then` once, just after the program's first window has been painted,
// so that what it does never delays the first sight of a window. Nothing
// runs when `owner` is gone by then.
void AfterFirstPaint(QObject* owner, std::function<void()> then);

}  // namespace lockmere
