#pragma once

#include <QFile>
#include <QString>
#include <filesystem>

namespace lockmere {

// Folder names as the file system spells them (UTF-8 on Linux).
inline std::filesystem::path ToPath(const QString& folder) {
    return std::filesystem::path(QFile::encodeName(folder).toStdString());
}

}  // namespace lockmere
