#pragma once

// Two complete password books with different encryption strings and master
// passwords, built from the file layout.

#include <filesystem>
#include <string>
#include <vector>

#include "store/file_access.h"
#include "tests/support/book_fixture.h"

namespace lockmere::testing {

struct BookFiles {
    std::string Collected;
    std::string Password;
    std::vector<fixture::Fields> Records;

    std::string KeyBytes() const { return fixture::KeyFileBytes(Collected, "owner", Password); }
    std::string StoreBytes() const {
        return fixture::StoreBytes(Records, fixture::KeyOf(Collected));
    }
    void WriteTo(const std::filesystem::path& folder) const {
        fixture::WriteBytes(folder / kKeyFileName, KeyBytes());
        fixture::WriteBytes(folder / kStoreFileName, StoreBytes());
    }
};

inline BookFiles BookA() {
    return {fixture::Collected(),
            "alpha pass",
            {{"Mail", "https://mail.example", "ann", "a1"},
             {"Bank", "https://bank.example", "ann.b", "a2"}}};
}

// Codes 31 to 81: another encryption string than BookA's.
inline BookFiles BookB() {
    std::string collected;
    for (int code = 31; collected.size() < 51; ++code) collected.push_back(static_cast<char>(code));
    return {collected, "bravo pass", {{"Forum", "https://forum.example", "bob", "b1"}}};
}

}  // namespace lockmere::testing
