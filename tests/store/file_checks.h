#pragma once

// Small helpers shared by the store tests: byte strings as QByteArray, so
// that a failed comparison prints the bytes, and what is on disk.

#include <QByteArray>
#include <QList>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "store/file_access.h"
#include "tests/support/disk_full.h"
#include "tests/support/temporaries.h"

namespace lockmere::test {

inline QByteArray Q(std::string_view s) {
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

inline QList<QByteArray> Q(const std::vector<std::string>& lines) {
    QList<QByteArray> list;
    for (const std::string& line : lines) list << Q(line);
    return list;
}

inline std::vector<std::string> Std(const QList<QByteArray>& list) {
    std::vector<std::string> lines;
    for (const QByteArray& line : list) lines.push_back(line.toStdString());
    return lines;
}

// The permission bits of a file, e.g. 0600.
inline unsigned Mode(const std::filesystem::path& path) {
    return static_cast<unsigned>(std::filesystem::status(path).permissions()) & 0777u;
}

// Whatever a failed safe replace might have left beside path.
inline bool TemporaryFileLeft(const std::filesystem::path& path) {
    return lockmere::testing::TemporaryLeftBeside(path);
}

// A temporary folder that the test owns; removed with everything in it.
class Folder {
public:
    Folder() {
        if (!dir_.isValid()) qFatal("cannot create a temporary folder");
    }
    std::filesystem::path Path() const { return std::filesystem::path(dir_.path().toStdString()); }
    std::filesystem::path operator/(std::string_view name) const { return Path() / name; }

private:
    QTemporaryDir dir_;
};

}  // namespace lockmere::test
