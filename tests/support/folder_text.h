#pragma once

// Folders as the folder list's tests write them.

#include <QDir>
#include <QString>
#include <filesystem>

namespace lockmere::testing {

inline QString Q(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

// A folder as the folder list names it: clean, with the system's separators.
inline QString Shown(const QString& folder) {
    return QDir::toNativeSeparators(QDir::cleanPath(folder));
}

}  // namespace lockmere::testing
