#pragma once

#include <cstdint>
#include <string>

namespace lockmere {

// Strings hold 8-bit Windows-1252 characters, as everywhere text meets a
// file, the cipher or the clipboard.
struct ViewerPlacement {
    std::int16_t Vertical = 0;    // twips from the screen's top
    std::int16_t Horizontal = 0;  // twips from the screen's left
};

// What more than one window reads: the key, the viewer's record and place,
// the generator's collection and the backup window's mode and location.
// One instance per running program, owned by the application's context;
// never saved. Windows hand their results back to whoever opened them.
struct AppState {
    bool DataHidden = false;
    std::string EncryptionKey;
    std::string SelectedRecord;
    ViewerPlacement ViewerOffset;
    std::string CollectedString;
    bool BackupMode = false;
    std::string BackupPath;
};

}  // namespace lockmere
