#pragma once

#include <csignal>
#include <sys/resource.h>

namespace lockmere::testing {

// While it lives, every write of a byte to a regular file fails as on a full
// disk (EFBIG from the file-size limit), also for root, whatever the name
// of the file written.
class DiskFull {
public:
    DiskFull() {
        previousSignal_ = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &previous_);
        const rlimit none{0, previous_.rlim_max};
        setrlimit(RLIMIT_FSIZE, &none);
    }
    ~DiskFull() {
        setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousSignal_);
    }
    DiskFull(const DiskFull&) = delete;
    DiskFull& operator=(const DiskFull&) = delete;

private:
    rlimit previous_{};
    void (*previousSignal_)(int) = SIG_DFL;
};

}  // namespace lockmere::testing
