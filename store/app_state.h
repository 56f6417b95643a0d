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

// The one record through which the windows talk. One instance per running
// program, owned by the application's context; never saved.
struct AppState {
    bool DataHidden = false;
    std::string EncryptionKey;
    std::string CipherInput;
    std::string CipherOutput;
    std::string SelectedRecord;
    ViewerPlacement ViewerOffset;
    bool EditMode = false;
    std::string EditedRecord;
    bool DatabaseChanged = false;
    std::string NewRecord;
    std::string CollectedString;
    std::string LaunchUrl;
    bool BackupMode = false;
    std::string BackupPath;
    std::string NewFolderName;

    // Working fields: each is written and read inside one operation.
    std::string KeyFileBuffer;
    bool InRecord = false;
    std::string StoreBuffer;
};

}  // namespace lockmere
