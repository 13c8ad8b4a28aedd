#include "numerics/math01.h"

#include <array>
#include <cmath>
#include <utility>

namespace {

// True when a and b are both positive or both negative: what "a * b > 0"
// asks, without the product, which underflows to 0 for tiny values.
bool MismoSignoEstricto(double a, double b) { return (a > 0.0 && b > 0.0) || (a < 0.0 && b < 0.0); }

constexpr int kNivelesRomberg = 10;

}  // namespace

bool T_ProblemaFx_Cero::Biseccion(double a, double b, double tolerancia, int32_t maxIteraciones, double& raiz,
                                  double& fRaiz, int32_t& iteraciones) {
    if (b < a) std::swap(a, b);
    double fa = f(a);
    const double fb = f(b);
    iteraciones = 0;
    bool convergio = false;
    if (!MismoSignoEstricto(fa, fb)) {
        for (;;) {
            ++iteraciones;
            const double m = (a + b) * 0.5;
            const double fm = f(m);
            if (MismoSignoEstricto(fa, fm)) {
                a = m;
                fa = fm;
            } else {
                b = m;
            }
            if (b - a <= tolerancia) {
                convergio = true;
                break;
            }
            // ">=" so that a maximum of 0 or below still ends the search.
            if (iteraciones >= maxIteraciones) break;
        }
    }
    raiz = (a + b) * 0.5;
    fRaiz = f(raiz);
    return convergio;
}

void BuscarCeroBiseccion(const TFuncionReal& funcion, double a, double b, double tolerancia,
                         int32_t maxIteraciones, double& raiz, double& fRaiz, int32_t& iteraciones,
                         bool& convergio) {
    T_ProblemaFx_Cero_externa problema(funcion);
    convergio = problema.Biseccion(a, b, tolerancia, maxIteraciones, raiz, fRaiz, iteraciones);
}

double RombergUltimaEstimacion(const TFuncionReal& funcion, double a, double b, double tolerancia,
                               bool& convergio) {
    // r[s] holds the s-times extrapolated estimate of the last level completed.
    std::array<double, kNivelesRomberg + 1> r{};
    double h = (b - a) * 0.5;
    r[0] = (funcion(a) + funcion(b)) * h;
    int64_t puntosNuevos = 1;
    convergio = false;
    double estimacion = r[0];
    for (int nivel = 1;; ++nivel) {
        double suma = 0.0;
        for (int64_t i = 1; i <= puntosNuevos; ++i) suma += funcion(a + (2 * i - 1) * h);
        // Extrapolated in place; `anterior` keeps the previous level's value
        // of the entry below the one being computed.
        double anterior = r[0];
        r[0] = h * suma + 0.5 * r[0];
        double potencia = 1.0;
        for (int s = 1; s <= nivel - 1; ++s) {
            potencia *= 4.0;
            const double previoDeS = r[s];
            r[s] = (potencia * r[s - 1] - anterior) / (potencia - 1.0);
            anterior = previoDeS;
        }
        potencia *= 4.0;
        estimacion = (potencia * r[nivel - 1] - anterior) / (potencia - 1.0);
        if (std::fabs(estimacion - anterior) <= tolerancia) {
            convergio = true;
            break;
        }
        if (nivel == kNivelesRomberg) break;
        r[nivel] = estimacion;
        h = h * 0.5;
        puntosNuevos *= 2;
    }
    return estimacion;
}

void IntegrarRomberg(const TFuncionReal& funcion, double a, double b, double tolerancia, double& valor,
                     bool& convergio) {
    const double estimacion = RombergUltimaEstimacion(funcion, a, b, tolerancia, convergio);
    if (convergio) valor = estimacion;
}
