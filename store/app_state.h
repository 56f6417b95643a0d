#pragma once

#include <string>

namespace lockmere {

// Strings hold 8-bit Windows-1252 characters, as everywhere text meets a
// file, the cipher or the clipboard.
// What more than one window reads: the key, the generator's collection
// and the backup window's mode and location.
// One instance per running program, owned by the application's context;
// never saved. Windows hand their results back to whoever opened them.
struct AppState {
    bool DataHidden = false;
    std::string EncryptionKey;
    std::string CollectedString;
    bool BackupMode = false;
    std::string BackupPath;
};

}  // namespace lockmere
