#pragma once

#include <QImage>

namespace lockmere {

inline constexpr int kGraniteWidth = 154;
inline constexpr int kGraniteHeight = 105;

// A grey granite surface drawn from seeded noise: the same picture on every
// call and every machine.
QImage GraniteTexture();

}  // namespace lockmere
