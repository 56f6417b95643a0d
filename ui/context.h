#pragma once

#include <filesystem>

#include "store/app_state.h"
#include "store/book.h"
#include "store/record_store.h"
#include "ui/services.h"
#include "ui/window_registry.h"

namespace lockmere {

// What every window is handed instead of globals: the shared state, the
// program folder, the record store with the book over it and the platform
// services. Tests build
// their own with a temporary folder and recording services.
struct Context {
    Context(std::filesystem::path programFolder, MessageBoxes& boxes, Clipboard& clipboard,
            ShellOpen& shell, Volumes& volumes, Beeper& speaker)
        : ProgramFolder(programFolder),
          Store(programFolder),
          RecordBook(Store),
          Boxes(boxes),
          ClipboardService(clipboard),
          Shell(shell),
          DriveVolumes(volumes),
          Speaker(speaker) {}

    AppState State;
    const std::filesystem::path ProgramFolder;
    RecordStore Store;
    Book RecordBook;
    MessageBoxes& Boxes;
    Clipboard& ClipboardService;
    ShellOpen& Shell;
    Volumes& DriveVolumes;
    Beeper& Speaker;
    WindowRegistry Windows;
};

}  // namespace lockmere
