#pragma once

#include <QObject>

namespace lockmere {

class Book;
class ExpiringClipboard;
class LockSignals;
class WindowRegistry;

// What the book's lock does for as long as the program runs, whichever
// windows are still open: the windows that show or take a record close
// and the clipboard gives up what the program put there. Then the main
// window logs out (Locked()); once it is gone, the book closes here, so
// that no record stays in memory for a window that is gone.
class BookLock : public QObject {
    Q_OBJECT
public:
    BookLock(LockSignals& lockSignals, WindowRegistry& windows, ExpiringClipboard& clipboard,
             Book& book);

    // How often the book has locked: a command that resumes after a box
    // sees whether the book locked meanwhile, and then leaves it so.
    unsigned Count() const { return count_; }

signals:
    // The record windows are closed and the clipboard is emptied.
    void Locked();

private:
    void Lock();

    WindowRegistry& windows_;
    ExpiringClipboard& clipboard_;
    Book& book_;
    unsigned count_ = 0;
};

}  // namespace lockmere
