#include "models/uproblemacurvas.h"

#include <algorithm>
#include <cmath>

#include "numerics/uresfxgx.h"

double CurvaS(double v, double x1, double x2, double x3, double x4, double cap) {
    const double s = x1 / (1.0 + std::exp(-x3 * (v - x4))) - x2;
    if (!(s < cap)) return cap;
    return s;
}

double RaizCubicaConSigno(double a, double b, double c) {
    // A variance that is negative or not a number counts as none.
    const double varianza = b > 0 ? b : 0.0;
    // Without a weight the variance does not count, however large.
    const double correccion = c == 0 ? 0.0 : c * std::pow(varianza, 1.5);
    return std::cbrt(a * a * a - correccion);
}

// ---------------------------------------------------------------- objective

T_fobjetivo::T_fobjetivo(const TVectR& abscisas, const TVectR& ordenadas, double cap)
    : abscisas(abscisas), ordenadas(ordenadas), cap(cap), exponenciales_(static_cast<std::size_t>(abscisas.n) + 1) {
    ordenadas.ExigirElementos(abscisas.n, "T_fobjetivo");
}

void T_fobjetivo::CalcularExponenciales(const TVectR& x) const {
    const double* p = x.pv.data();
    if (hayCache_ && xCache_[0] == p[1] && xCache_[1] == p[2] && xCache_[2] == p[3] && xCache_[3] == p[4]) return;
    const double x3 = p[3], x4 = p[4];
    const double* v = abscisas.pv.data();
    for (int32_t i = 1; i <= abscisas.n; ++i) exponenciales_[i] = std::exp(-x3 * (v[i] - x4));
    for (int k = 0; k < 4; ++k) xCache_[k] = p[k + 1];
    hayCache_ = true;
}

double T_fobjetivo::f(const TVectR& x) const {
    CalcularExponenciales(x);
    const double x1 = x.pv[1], x2 = x.pv[2];
    const double* P = ordenadas.pv.data();
    double suma = 0;
    for (int32_t i = 1; i <= abscisas.n; ++i) {
        double s = x1 / (1.0 + exponenciales_[i]) - x2;
        if (!(s < cap)) s = cap;
        const double r = s - P[i];
        suma += r * r;
    }
    return suma / abscisas.n;
}

void T_fobjetivo::SumarGradiente(TVectR& g, const TVectR& x) const {
    CalcularExponenciales(x);
    const double x1 = x.pv[1], x2 = x.pv[2], x3 = x.pv[3], x4 = x.pv[4];
    const double* v = abscisas.pv.data();
    const double* P = ordenadas.pv.data();
    double g1 = 0, g2 = 0, g3 = 0, g4 = 0;
    for (int32_t i = 1; i <= abscisas.n; ++i) {
        if (!(P[i] <= cap)) continue;
        const double e = exponenciales_[i];
        const double m = 1.0 / (1.0 + e);
        double s = x1 * m - x2;
        if (!(s < cap)) s = cap;
        const double r = 2.0 * (s - P[i]);
        // m²·e tends to 0 where e overflows; the product would be 0·inf.
        const double pendiente = std::isinf(e) ? 0.0 : m * m * e;
        g1 += r * m;
        g2 -= r;
        g3 += r * x1 * pendiente * (v[i] - x4);
        g4 -= r * x1 * pendiente * x3;
    }
    const double n = abscisas.n;
    g.pv[1] += g1 / n;
    g.pv[2] += g2 / n;
    g.pv[3] += g3 / n;
    g.pv[4] += g4 / n;
}

// ---------------------------------------------------------------- constraint

double T_h::f(const TVectR& x) const { return x.pv[1] - x.pv[2] - cap; }

void T_h::SumarGradiente(TVectR& g, const TVectR& /*x*/) const {
    g.pv[1] += 1.0;
    g.pv[2] -= 1.0;
}

// ---------------------------------------------------------------- problem

TProblema_CurvaS::TProblema_CurvaS(TVisorAjuste visorDado, const TVectR& abscisas, const TVectR& ordenadas,
                                   double cap)
    : TProblema_m01(2, 5, 0), visor(std::move(visorDado)), abscisas(abscisas), ordenadas(ordenadas), cap(cap) {
    yMax = std::max(ordenadas.n > 0 ? ordenadas.Maximo() : 0.0, 1.1 * cap);
    xMax = abscisas.n > 0 ? abscisas.Maximo() : 0.0;
    objetivo = std::make_unique<T_fobjetivo>(abscisas, ordenadas, cap);
    FijarCotaInferior(1, cap);
    FijarCotaSuperior(1, 3 * cap);
    FijarCotaInferior(2, 0);
    FijarCotaSuperior(2, cap / 2);
    FijarCotaInferior(3, 0);
    FijarCotaSuperior(3, 2);
    FijarCotaInferior(4, 0);
    FijarCotaSuperior(4, 18);
    TResfx& asintota = restricciones[0];
    asintota.tipo = TTipoRestriccion::TR_Mayor;
    asintota.cotaInf = 0;
    asintota.cotaSup = 0;
    asintota.f = std::make_unique<T_h>(cap);
}

std::unique_ptr<TProblema_CurvaS> TProblema_CurvaS::Create(TVisorAjuste visor, const TVectR& abscisas,
                                                           const TVectR& ordenadas, double cap) {
    return std::make_unique<TProblema_CurvaS>(std::move(visor), abscisas, ordenadas, cap);
}

bool TProblema_CurvaS::Resolver(double& x3, double& x4, double& x1, double& x2, double& f, double& L, double& V) {
    TVectR x(4);
    x.pv[1] = x1;
    x.pv[2] = x2;
    x.pv[3] = x3;
    x.pv[4] = x4;
    TVectR multiplicadores(1);
    int iteraciones = 0;
    bool convergio = false;
    TProblema_m01::Resolver(multiplicadores, x, 1.0, 1e-10, 1000, iteraciones, f, L, V, convergio,
                            static_cast<bool>(visor));
    x1 = x.pv[1];
    x2 = x.pv[2];
    x3 = x.pv[3];
    x4 = x.pv[4];
    return convergio;
}

bool TProblema_CurvaS::Informar(const TVectR& x, const TVectR& xPrueba, double Lx, double LxPrueba, bool aceptado) {
    const bool detener = TProblema_m01::Informar(x, xPrueba, Lx, LxPrueba, aceptado);
    if (visor) visor(*this, xPrueba);
    return detener;
}

bool AjustarCurvaS(const TVectR& abscisas, const TVectR& ordenadas, double cap, double& x3, double& x4, double& x1,
                   double& x2, double& f, double& L, double& V) {
    TProblema_CurvaS problema(nullptr, abscisas, ordenadas, cap);
    return problema.Resolver(x3, x4, x1, x2, f, L, V);
}
