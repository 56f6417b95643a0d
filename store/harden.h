#pragma once

namespace lockmere {

// Keeps the master password and the records out of crash dumps: on POSIX
// systems no core file and a process that is not dumpable, on Windows no
// crash report; and on Windows, libraries loaded later come from the system
// folder alone. Returns false when a step failed.
[[nodiscard]] bool HardenProcess();

}  // namespace lockmere
