#include "setup/granite.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace lockmere {

namespace {

// Integer hash of a lattice point: fixed arithmetic, so the picture never
// depends on a library's random generator.
double Hash(int x, int y, std::uint32_t seed) {
    std::uint32_t h = seed;
    h ^= static_cast<std::uint32_t>(x) * 0x9E3779B1u;
    h = (h ^ (h >> 15)) * 0x85EBCA77u;
    h ^= static_cast<std::uint32_t>(y) * 0xC2B2AE3Du;
    h = (h ^ (h >> 13)) * 0x27D4EB2Fu;
    h ^= h >> 16;
    return (h & 0xFFFFFFu) / static_cast<double>(0x1000000);
}

double Smooth(double t) { return t * t * (3.0 - 2.0 * t); }

// Value noise with cells of `cell` pixels, 0..1.
double Noise(int x, int y, double cell, std::uint32_t seed) {
    const double fx = x / cell, fy = y / cell;
    const int x0 = static_cast<int>(std::floor(fx)), y0 = static_cast<int>(std::floor(fy));
    const double tx = Smooth(fx - x0), ty = Smooth(fy - y0);
    const double top = Hash(x0, y0, seed) + (Hash(x0 + 1, y0, seed) - Hash(x0, y0, seed)) * tx;
    const double bottom =
        Hash(x0, y0 + 1, seed) + (Hash(x0 + 1, y0 + 1, seed) - Hash(x0, y0 + 1, seed)) * tx;
    return top + (bottom - top) * ty;
}

int Clamp(double v) { return std::clamp(static_cast<int>(std::lround(v)), 0, 255); }

}  // namespace

QImage GraniteTexture() {
    QImage image(kGraniteWidth, kGraniteHeight, QImage::Format_RGB32);
    for (int y = 0; y < kGraniteHeight; ++y) {
        for (int x = 0; x < kGraniteWidth; ++x) {
            // A mottled ground of feldspar and quartz...
            const double ground =
                0.5 * Noise(x, y, 11.0, 1) + 0.3 * Noise(x, y, 5.0, 2) + 0.2 * Noise(x, y, 2.5, 3);
            double level = 150.0 + (ground - 0.5) * 70.0 + (Hash(x, y, 4) - 0.5) * 28.0;
            // ...with dark mica flecks and a few bright crystals.
            if (Noise(x, y, 3.3, 5) > 0.76)
                level = 45.0 + Hash(x, y, 6) * 35.0;
            else if (Noise(x, y, 2.7, 8) > 0.82)
                level = 205.0 + Hash(x, y, 7) * 30.0;
            image.setPixel(x, y, qRgb(Clamp(level), Clamp(level), Clamp(level + 5.0)));
        }
    }
    return image;
}

}  // namespace lockmere
