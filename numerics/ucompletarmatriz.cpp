#include "numerics/ucompletarmatriz.h"

#include <cmath>
#include <string>

#include "numerics/errores.h"

namespace {

constexpr int32_t kMaximoBarridos = 10000;
constexpr double kCambioSuficiente = 0.0001;

bool MismoTamano(const TMatR& a, const TMatR& b) {
    if (a.nf != b.nf || a.nc != b.nc) return false;
    for (int32_t i = 1; i <= a.nf; ++i)
        if (a.pm[i]->n != a.nc || b.pm[i]->n != b.nc) return false;
    return true;
}

void ExigirTablasCompatibles(const TMatR& grilla, const TMatR& conocidos) {
    if (grilla.nf < 1 || grilla.nc < 1) throw EErrorQuendal("CompletarPorRelajacion: matriz vacía");
    if (!MismoTamano(grilla, conocidos))
        throw EErrorQuendal("CompletarPorRelajacion: la matriz de valores conocidos es de " +
                            std::to_string(conocidos.nf) + " x " + std::to_string(conocidos.nc) +
                            " y la grilla de " + std::to_string(grilla.nf) + " x " + std::to_string(grilla.nc));
}

// Largest element of grilla - anterior, taken row by row the way
// TMatR::Maximo does (a NaN in the first place of a row sticks).
double MayorIncremento(const TMatR& grilla, const TMatR& anterior) {
    auto incremento = [&](int32_t i, int32_t j) { return anterior.pm[i]->pv[j] * -1.0 + grilla.pm[i]->pv[j]; };
    double mayor = 0.0;
    for (int32_t i = 1; i <= grilla.nf; ++i) {
        double mayorDeFila = incremento(i, 1);
        for (int32_t j = 2; j <= grilla.nc; ++j)
            if (mayorDeFila < incremento(i, j)) mayorDeFila = incremento(i, j);
        if (i == 1 || mayorDeFila > mayor) mayor = mayorDeFila;
    }
    return mayor;
}

}  // namespace

double BarridoRelajacion(TMatR& grilla, const TMatR& conocidos, TMatR& anterior) {
    anterior.Copiar(grilla);
    const int32_t nf = conocidos.nf;
    const int32_t nc = conocidos.nc;
    for (int32_t i = 1; i <= nf; ++i) {
        const int32_t arriba = i == 1 ? nf : i - 1;
        const int32_t abajo = i == nf ? 1 : i + 1;
        const TVectR& fila = *anterior.pm[i];
        for (int32_t j = 1; j <= nc; ++j) {
            if (!(conocidos.pm[i]->pv[j] < 0.0)) continue;
            const int32_t izquierda = j == 1 ? 1 : j - 1;
            const int32_t derecha = j == nc ? nc : j + 1;
            grilla.pm[i]->pv[j] = (((fila.pv[izquierda] + fila.pv[derecha]) + anterior.pm[arriba]->pv[j]) +
                                   anterior.pm[abajo]->pv[j]) *
                                  0.25;
        }
    }
    return std::fabs(MayorIncremento(grilla, anterior));
}

void CompletarPorRelajacion(TMatR& grilla, const TMatR& conocidos, double& cambio, int32_t& barridos) {
    ExigirTablasCompatibles(grilla, conocidos);
    barridos = 0;
    for (int32_t i = 1; i <= grilla.nf; ++i)
        for (int32_t j = 1; j <= grilla.nc; ++j)
            if (conocidos.pm[i]->pv[j] >= 0.0) grilla.pm[i]->pv[j] = conocidos.pm[i]->pv[j];
    TMatR anterior(grilla.nf, grilla.nc);
    do {
        cambio = BarridoRelajacion(grilla, conocidos, anterior);
        ++barridos;
    } while (!(barridos > kMaximoBarridos || cambio < kCambioSuficiente));
}
