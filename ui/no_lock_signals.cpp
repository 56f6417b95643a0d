#include "ui/lock_signals.h"

namespace lockmere {

// No lock signal is watched on this platform yet.
std::unique_ptr<LockSignals> PlatformLockSignals() { return std::make_unique<LockSignals>(); }

}  // namespace lockmere
