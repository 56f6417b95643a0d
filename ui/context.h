#pragma once

#include <filesystem>
#include <string>

#include "store/book.h"
#include "store/record_store.h"
#include "ui/book_lock.h"
#include "ui/expiring_clipboard.h"
#include "ui/lock_signals.h"
#include "ui/services.h"
#include "ui/window_registry.h"

namespace lockmere {

// What every window is handed instead of globals: the session's key, the
// program folder, the record store with the book over it and the platform
// services. Tests build their own with a temporary folder and recording
// services. What the program puts on the clipboard is taken away again
// after a while, when the book locks and when the program ends; the lock
// is handled for as long as the context lives, not by one window.
struct Context {
    Context(std::filesystem::path programFolder, MessageBoxes& boxes, Clipboard& clipboard,
            ShellOpen& shell, Volumes& volumes, Beeper& speaker, LockSignals& sessionLock)
        : ProgramFolder(programFolder),
          Store(programFolder),
          RecordBook(Store),
          Boxes(boxes),
          ClipboardService(clipboard),
          Shell(shell),
          DriveVolumes(volumes),
          Speaker(speaker),
          SessionLock(sessionLock),
          Locking(sessionLock, Windows, ClipboardService, RecordBook) {}

    // The session's key: from the key file at the start or from the first
    // start's generator; a restore takes it anew from the restored key file.
    std::string EncryptionKey;
    const std::filesystem::path ProgramFolder;
    RecordStore Store;
    Book RecordBook;
    MessageBoxes& Boxes;
    ExpiringClipboard ClipboardService;
    ShellOpen& Shell;
    Volumes& DriveVolumes;
    Beeper& Speaker;
    LockSignals& SessionLock;
    WindowRegistry Windows;
    BookLock Locking;
};

}  // namespace lockmere
