#include "cli/random_source.h"

#include <windows.h>

#include <bcrypt.h>  // needs windows.h first

namespace lockmere::cli {

bool SystemRandomBytes(std::span<unsigned char> bytes) {
    return BCryptGenRandom(nullptr, bytes.data(), static_cast<ULONG>(bytes.size()),
                           BCRYPT_USE_SYSTEM_PREFERRED_RNG) == 0;
}

}  // namespace lockmere::cli
