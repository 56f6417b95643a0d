#include "tests/support/temp_folder.h"

#include <stdexcept>

namespace lockmere::testing {

TempFolder::TempFolder() {
    if (!dir_.isValid())
        throw std::runtime_error("cannot create a temporary folder: " +
                                 dir_.errorString().toStdString());
}

std::filesystem::path TempFolder::Path() const {
    return std::filesystem::path(dir_.path().toStdString());
}

}  // namespace lockmere::testing
