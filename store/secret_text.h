#pragma once

#include <string>

namespace lockmere {

// Overwrites every byte a string holds or has room for, the buffer inside
// the object (short texts) too, in a way the optimiser keeps, and leaves it
// empty: for a secret that is no longer needed, before its memory goes
// back to the heap, where nothing would clear it.
void WipeText(std::string& text);

}  // namespace lockmere
