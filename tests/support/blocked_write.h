#pragma once

// A write the system refuses, as each platform can make one in a test.

#include <filesystem>

#include "store/file_access.h"

#ifdef _WIN32
#include <windows.h>
#else
#include "tests/support/disk_full.h"
#endif

namespace lockmere::test {

#ifdef _WIN32

// Another program has the file open for reading and lets nobody replace it.
class BlockedWrite {
public:
    static constexpr int kCode = failure::kPathFileAccess;
    explicit BlockedWrite(const std::filesystem::path& file)
        : handle_(CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~BlockedWrite() {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }
    BlockedWrite(const BlockedWrite&) = delete;
    BlockedWrite& operator=(const BlockedWrite&) = delete;

private:
    HANDLE handle_;
};

#else

// The disk is full for every file while it lives.
class BlockedWrite {
public:
    static constexpr int kCode = failure::kDiskFull;
    explicit BlockedWrite(const std::filesystem::path&) {}

private:
    testing::DiskFull full_;
};

#endif

}  // namespace lockmere::test
