#include "tests/support/temp_folder.h"

#include <random>
#include <stdexcept>
#include <system_error>

namespace lockmere::testing {

TempFolder::TempFolder() {
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    std::random_device seed;
    std::mt19937_64 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::filesystem::path candidate =
            base / ("lockmere-test-" + std::to_string(random() % 1000000000000ULL));
        // create_directory reports false when the name is taken: try another.
        std::error_code error;
        if (std::filesystem::create_directory(candidate, error)) {
            std::filesystem::permissions(candidate, std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::replace, error);
            path_ = candidate;
            return;
        }
        if (error) throw std::runtime_error("cannot create a temporary folder: " + error.message());
    }
    throw std::runtime_error("cannot create a temporary folder: no free name");
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

}  // namespace lockmere::testing
