#include "cli/random_source.h"

#include <sys/random.h>

#include <cerrno>

namespace lockmere::cli {

bool SystemRandomBytes(std::span<unsigned char> bytes) {
    while (!bytes.empty()) {
        const ssize_t got = getrandom(bytes.data(), bytes.size(), 0);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        bytes = bytes.subspan(static_cast<std::size_t>(got));
    }
    return true;
}

}  // namespace lockmere::cli
