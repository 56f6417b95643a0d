#pragma once

// What the pointer-driven generator should collect, worked out in integers
// apart from the window's own arithmetic.

namespace lockmere::testing {

// The code a pointer x of whole pixels stands for: 15x / 14 with halves
// going to the even neighbour.
inline int CodeAtPixel(int x) {
    const int twips = 15 * x;
    int whole = twips / 14;
    const int rest = twips % 14;
    if (rest > 7 || (rest == 7 && whole % 2 == 1)) ++whole;
    return whole;
}

}  // namespace lockmere::testing
