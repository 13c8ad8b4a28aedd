#pragma once
// What the sources of the theoretical park share and its header does not
// show: a few small numeric helpers.
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace parque_teorico {

// Equal to the last bit, as the reuse of a pass and of the park curve needs.
inline bool MismosBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// The nearest integer, halves to even, kept within [minimo, maximo].
inline int32_t EnteroMasCercano(double x, int32_t minimo, int32_t maximo) {
    const double r = std::nearbyint(x);
    if (!(r >= minimo)) return minimo;
    if (r > maximo) return maximo;
    return static_cast<int32_t>(r);
}

// The net power goes through a 32-bit float, as the park's result always has.
inline double ASimplePrecision(double x) {
    if (x > FLT_MAX) return HUGE_VALF;
    if (x < -FLT_MAX) return -HUGE_VALF;
    return static_cast<float>(x);
}

}  // namespace parque_teorico
