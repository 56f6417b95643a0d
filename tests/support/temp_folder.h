#pragma once

#include <filesystem>
#include <string_view>

namespace lockmere::testing {

// A fresh, empty folder that is removed with everything in it at the end.
// Standard library only, so the core's tests can use it without Qt.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::filesystem::path Path() const { return path_; }
    std::filesystem::path File(std::string_view name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

}  // namespace lockmere::testing
