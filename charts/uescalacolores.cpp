#include "charts/uescalacolores.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

double Fraccion(double x) { return x - std::trunc(x); }

// A component in 0..1 as a byte, halves to even.
uint8_t AByte(double c) { return static_cast<uint8_t>(std::nearbyint(std::clamp(c, 0.0, 1.0) * 255)); }

}  // namespace

TEscalaColor TEscalaColor::Create(double minimo, double maximo) {
    double rango = maximo - minimo;
    if (!(std::fabs(rango) >= 1e-20)) rango = 1;
    return TEscalaColor(minimo, rango);
}

double TEscalaColor::Normalizar(double v) const { return (v - minimo_) / rango_; }

TColor TEscalaColor::ColorDeValor(double v) const {
    double t = Normalizar(v);
    if (!(t > 0)) t = 0;  // NaN included
    if (t > 1) t = 1;
    const double cuatroPi = 4 * std::numbers::pi;
    const double d = t + std::sin(cuatroPi * t) / cuatroPi / 1.5;
    const int segmento = std::min(static_cast<int>(4 * d), 3);
    double r = 0, g = 0, b = 0;
    switch (segmento) {
        case 0: r = 0; g = 4 * Fraccion(d); b = 1; break;
        case 1: r = 0; g = 1; b = 1 - 4 * Fraccion(d - 0.25); break;
        case 2: r = 4 * Fraccion(d - 0.5); g = 1; b = 0; break;
        default: r = 1; g = 1 - 4 * Fraccion(d - 0.75); b = 0; break;
    }
    return TColor::RGB(AByte(r), AByte(g), AByte(b));
}
