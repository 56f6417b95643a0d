#pragma once

namespace lockmere {

// Keeps the master password and the records out of core dumps: no core
// file, and the process is not dumpable. Returns false when a step failed.
bool HardenProcess();

}  // namespace lockmere
