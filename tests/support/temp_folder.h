#pragma once

#include <QTemporaryDir>
#include <filesystem>
#include <string_view>

namespace lockmere::testing {

// A fresh, empty folder that is removed with everything in it at the end.
class TempFolder {
public:
    TempFolder();

    std::filesystem::path Path() const;
    std::filesystem::path File(std::string_view name) const { return Path() / name; }

private:
    QTemporaryDir dir_;
};

}  // namespace lockmere::testing
