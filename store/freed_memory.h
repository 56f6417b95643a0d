#pragma once

namespace lockmere {

// From now on every heap block the process frees or moves is cleared before
// the C library takes it back, so that no secret outlives the string that
// held it, whichever library's string that was. Only where the program
// itself provides `free` and `realloc` (Linux with glibc, outside the
// sanitizer builds); elsewhere it does nothing, and the core's own wiping
// is what clears.
void ClearFreedMemory();

}  // namespace lockmere
