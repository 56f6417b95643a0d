#include "ui/book_lock.h"

#include "store/book.h"
#include "ui/expiring_clipboard.h"
#include "ui/lock_signals.h"
#include "ui/secret_traces.h"
#include "ui/window_registry.h"

namespace lockmere {

BookLock::BookLock(LockSignals& lockSignals, WindowRegistry& windows, ExpiringClipboard& clipboard,
                   Book& book)
    : windows_(windows), clipboard_(clipboard), book_(book) {
    connect(&lockSignals, &LockSignals::Locked, this, &BookLock::Lock);
}

void BookLock::Lock() {
    ++count_;
    windows_.UnloadForLock();
    clipboard_.Expire();
    emit Locked();
    // The main window's logout closes the book; without it nothing else would.
    if (!windows_.Main()) book_.Close();
    ForgetSecretTraces();
}

}  // namespace lockmere
