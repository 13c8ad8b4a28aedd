#pragma once
// The park's power written straight from its description, on a full matrix of
// the grid: what the tests compare the park's passes with, bit for bit.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "models/uauxdensidad.h"
#include "models/uparques_modeloteorico.h"

namespace referencia_estela {

inline bool MismosBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// ---- The pass written straight from its description, on a full matrix. ----
struct TResultadoReferencia {
    double potencia = 0;
    double mastil = 0;
    TMatR grilla;
    std::vector<double> pvMedia, potencias;
    int pasadas = 0;
};

inline TResultadoReferencia PotenciaDeReferencia(const TParque_ModeloTeorico& p, double rho, double L, double tope) {
    const int32_t nf = p.Grilla().nf, nc = p.Grilla().nc;
    const std::size_t n = p.molinos.size();
    TResultadoReferencia r;
    r.grilla = TMatR(nf, nc);
    r.pvMedia.assign(n, 0);
    r.potencias.assign(n, 0);
    const double Q = std::max(0.0, tope < p.potencia_autorizada_mw ? tope : p.potencia_autorizada_mw);
    double f = 1;
    for (int pasada = 1;; ++pasada) {
        r.pasadas = pasada;
        for (int32_t j = 1; j <= nc; ++j) r.grilla.pm[1]->pv[j] = L;
        for (int32_t i = 2; i <= nf; ++i) r.grilla.pm[i]->pv[1] = r.grilla.pm[i]->pv[nc] = L;
        for (int32_t fila = 1; fila <= nf; ++fila) {
            double* g = r.grilla.pm[fila]->pv.data();
            if (fila > 1) {
                const double* a = r.grilla.pm[fila - 1]->pv.data();
                for (int32_t j = 2; j <= nc - 1; ++j)
                    g[j] = ((a[j + 1] + a[j - 1]) * p.pesoLateral + a[j] * p.pesoCentral) * p.pesoArrastre +
                           L * p.pesoRecuperacion;
            }
            for (std::size_t k = 0; k < n; ++k) {
                const TMolino& m = *p.molinos[k];
                if (m.posicion.fila != fila) continue;
                double suma = 0;
                for (int32_t j = m.posicion.colIni; j <= m.posicion.colFin; ++j) suma += g[j];
                const double pv = suma / (m.posicion.colFin - m.posicion.colIni + 1);
                const double pot = m.curva.P_de_PotenciaViento(pv * m.etha) * RelacionDensidad(rho) * f;
                double y = pv >= 1e-15 ? pot / m.curva.area * p.fpv3pe / pv : 0.01;
                y = std::min(std::max(y, 0.0), 1.0);
                double d = std::pow(1 - std::pow(y, 2.0 / 3.0), 1.5);
                if (d > 0.999999) d = 0.999999;
                if (d < 1e-5) d = 1e-5;
                for (int32_t j = m.posicion.colIni; j <= m.posicion.colFin; ++j) g[j] *= d;
                r.pvMedia[k] = pv;
                r.potencias[k] = pot;
            }
        }
        double S = 0;
        for (double x : r.potencias) S += x;
        double neta = static_cast<float>(S - S * S * p.coefPerdidas);
        if (neta < 0) neta = 0;
        if (neta <= Q) {
            r.potencia = neta;
            break;
        }
        const double razon = Q / neta;
        f = f * Q / neta;
        if (pasada == 11) {
            for (double& x : r.potencias) x *= razon;
            r.potencia = Q;
            break;
        }
    }
    // Bilinear value at the mast, the origin.
    const double xr = 0 * p.cosDir - 0 * p.sinDir, yr = 0 * p.sinDir + 0 * p.cosDir;
    const double fy = (yr - p.yMinRot) / p.dyCelda, fx = (xr - p.xMinRot) / p.dxCelda;
    const int32_t r1 = static_cast<int32_t>(fy) + 1, c1 = static_cast<int32_t>(fx) + 1;
    const int32_t r2 = std::min(r1 + 1, nf), c2 = std::min(c1 + 1, nc);
    const double wy = fy - std::trunc(fy), wx = fx - std::trunc(fx);
    const TMatR& g = r.grilla;
    r.mastil = (g.Elemento(r1, c1) * (1 - wx) + g.Elemento(r1, c2) * wx) * (1 - wy) +
               (g.Elemento(r2, c1) * (1 - wx) + g.Elemento(r2, c2) * wx) * wy;
    return r;
}

// The mast iteration written straight from its description on the passes
// above: the free stream scaled by the mast's ratio until it is within 1 %.
struct TDesdeEstacionDeReferencia {
    double potencia = 0, libre = 0;
    TResultadoReferencia ultima;  // the last evaluation
};
inline TDesdeEstacionDeReferencia DesdeEstacionConPasadasDeReferencia(const TParque_ModeloTeorico& p, double rho,
                                                                      double M, double tope) {
    TDesdeEstacionDeReferencia r;
    if (M < 1e-10) return r;
    double estimado = M;
    for (int fallidas = 0;;) {
        r.ultima = PotenciaDeReferencia(p, rho, estimado, tope);
        r.potencia = r.ultima.potencia;
        const double razon = M / r.ultima.mastil;
        if (!std::isfinite(razon) || std::fabs(razon - 1) < 0.01) break;
        if (++fallidas > 100) break;
        estimado = razon * estimado;
    }
    r.libre = estimado;
    return r;
}

}  // namespace referencia_estela
