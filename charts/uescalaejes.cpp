#include "charts/uescalaejes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace {

constexpr std::array<double, 4> kMultiplicadores = {1, 2, 5, 25};

constexpr double kDiasPorAnio = 365.2425;
constexpr std::array<double, 13> kPasosDeTiempo = {
    1.0 / 1440, 1.0 / 24, 1.0 / 8, 1.0 / 6, 1.0 / 4, 1.0 / 2, 1, 7, 15,
    kDiasPorAnio / 12, kDiasPorAnio / 4, kDiasPorAnio / 2, kDiasPorAnio};
constexpr int kPrimerPasoDeDias = 6;

// Smallest half-width a range may have: 1e-10, or a few units in the last
// digit of its bounds when they are large.
double SemianchoMinimo(double lo, double hi) {
    const double magnitud = std::max(std::fabs(lo), std::fabs(hi));
    return std::max(1e-10, 16 * std::numeric_limits<double>::epsilon() * magnitud);
}

// A whole double as an integer of type T, bounded to T's range (0 for NaN).
template <typename T>
T EnteroAcotado(double entero) {
    if (std::isnan(entero)) return 0;
    const double limite = static_cast<double>(std::numeric_limits<T>::max());
    if (entero >= limite) return std::numeric_limits<T>::max();
    if (entero <= -limite) return -std::numeric_limits<T>::max();
    return static_cast<T>(entero);
}

int64_t PisoEntero(double x) { return EnteroAcotado<int64_t>(std::floor(x)); }
int64_t TechoEntero(double x) { return EnteroAcotado<int64_t>(std::ceil(x)); }

// The exponent of the first candidate step of the searches; a span of zero
// or beyond the doubles starts at the ends of their range.
int ExponenteInicial(double a, double b, double m, int n) {
    const double e = std::ceil(std::log10((b - a) / (n * m)));
    return static_cast<int>(std::clamp(std::isnan(e) ? 0.0 : e, -330.0, 310.0));
}

// Bounds that the searches can work on: finite, with a little width.
bool SonCotasUtiles(double a, double b) {
    return std::isfinite(a) && std::isfinite(b) && b > a;
}

}  // namespace

double RangoHaciaAfuera(int64_t& k, int& e, double a, double b, double m, int n) {
    e = ExponenteInicial(a, b, m, n);
    double s = m * std::pow(10.0, e);
    k = PisoEntero(a / s);
    while (b > static_cast<double>(n + k) * s) {
        ++e;
        s = m * std::pow(10.0, e);
        k = PisoEntero(a / s);
    }
    return n * s;
}

double RangoHaciaAdentro(int64_t& k, int& e, double a, double b, double m, int n) {
    e = ExponenteInicial(a, b, m, n);
    double s = m * std::pow(10.0, e);
    k = TechoEntero(a / s);
    while (b < static_cast<double>(n + k) * s) {
        --e;
        s = m * std::pow(10.0, e);
        k = TechoEntero(a / s);
    }
    return n * s;
}

void EscalaAmigable(double& min, double& max, double& paso, double a, double b, int n,
                    bool haciaAfuera) {
    if (n < 1 || !std::isfinite(a) || !std::isfinite(b)) return;
    double lo = std::min(a, b);
    double hi = std::max(a, b);
    const double f = std::max((hi - lo) / n / 1000, SemianchoMinimo(lo, hi));
    if (haciaAfuera) {
        lo += f;
        hi -= f;
        if (hi < lo) {
            hi = lo;
            lo = b;
        }
    } else {
        lo -= f;
        hi += f;
    }
    if (hi - lo < 2 * f) hi = lo + 2 * f;
    if (!SonCotasUtiles(lo, hi)) return;

    double mejor = haciaAfuera ? (b - a) * 100 + 100 : 0;
    for (double m : kMultiplicadores) {
        int64_t k = 0;
        int e = 0;
        const double total = haciaAfuera ? RangoHaciaAfuera(k, e, lo, hi, m, n)
                                         : RangoHaciaAdentro(k, e, lo, hi, m, n);
        const bool aceptado = haciaAfuera ? total < mejor : total > mejor;
        if (!aceptado) continue;
        mejor = total;
        paso = total / n;
        min = static_cast<double>(k) * paso;
        max = min + total;
    }
}

void EscalaAmigableAuto(double& min, double& max, double& paso, int& n, bool haciaAfuera) {
    const double a = min, b = max;
    double mejorSpan = haciaAfuera ? (b - a) * 100 + 100 : 0;
    double mejorMin = min, mejorMax = max, mejorPaso = paso;
    int mejorN = n;
    for (int d = -2; d <= 2; ++d) {
        const int divisiones = n + d;
        if (divisiones < 1) continue;
        double candMin = a, candMax = b, candPaso = paso;
        EscalaAmigable(candMin, candMax, candPaso, a, b, divisiones, haciaAfuera);
        const double span = candMax - candMin;
        const bool aceptado = haciaAfuera ? span < mejorSpan : span > mejorSpan;
        if (!aceptado) continue;
        mejorSpan = span;
        mejorMin = candMin;
        mejorMax = candMax;
        mejorPaso = candPaso;
        mejorN = divisiones;
    }
    min = mejorMin;
    max = mejorMax;
    paso = mejorPaso;
    n = mejorN;
}

void EscalaTiempo(double& min, double& max, double& paso, int& n, bool haciaAfuera) {
    if (max < min) std::swap(min, max);
    const double pasoCrudo = (max - min) / std::max(n, 1);

    std::size_t elegido = 0;
    double mejorDesvio = std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i < kPasosDeTiempo.size(); ++i) {
        const double desvio = std::fabs(1 - pasoCrudo / kPasosDeTiempo[i]);
        if (desvio < mejorDesvio) {
            mejorDesvio = desvio;
            elegido = i;
        }
    }
    const double razon = pasoCrudo / kPasosDeTiempo[elegido];
    paso = kPasosDeTiempo[elegido];
    if (razon > 1) paso = std::nearbyint(razon) * kPasosDeTiempo[elegido];
    if (elegido >= kPrimerPasoDeDias) paso = std::nearbyint(paso);

    if (haciaAfuera) {
        min = std::floor(min / paso) * paso;
        max = std::ceil(max / paso) * paso;
    } else {
        min = std::ceil(min / paso) * paso;
        max = std::floor(max / paso) * paso;
    }
    n = EnteroAcotado<int>(std::nearbyint((max - min) / paso));
}
