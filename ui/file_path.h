#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <filesystem>

namespace lockmere {

// A folder or file name as the file system spells it (UTF-8 on Linux,
// UTF-16 with backslashes on Windows: Qt hands out paths with slashes, and a
// path is compared as text where the same folder must be recognised).
inline std::filesystem::path ToPath(const QString& name) {
#ifdef _WIN32
    return std::filesystem::path(QDir::toNativeSeparators(name).toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(name).toStdString());
#endif
}

inline QString FromPath(const std::filesystem::path& path) {
#ifdef _WIN32
    return QString::fromStdWString(path.native());
#else
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
#endif
}

}  // namespace lockmere
