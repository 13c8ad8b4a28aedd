// The benchmark park shared by the park and simulation benchmarks: 30
// turbines of 2 MW (90 m) in six columns 600 m apart by five rows 500 m
// apart, slightly staggered, the met mast near the middle; about 3 km by
// 2 km, 60 MW, on the default grid.
#pragma once

#include <cmath>
#include <memory>
#include <vector>

#include "models/uparques_modeloteorico.h"

inline TCurvaAerogen CurvaDe2MW() {
    const std::vector<double> v = {3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 25};
    const std::vector<double> p = {0.02, 0.1, 0.25, 0.45, 0.7, 1.0, 1.35, 1.65, 1.85, 1.95, 2.0, 2.0};
    TVectR vv(12), pp(12);
    for (int i = 0; i < 12; ++i) {
        vv.pv[i + 1] = v[i];
        pp.pv[i + 1] = p[i];
    }
    return TCurvaAerogen::Create(1, "2 MW 90 m", 90, vv, pp);
}

// Prepared and ready for a pass; its plant number is Create_Nuevo's.
inline std::unique_ptr<TParque_ModeloTeorico> ParqueDeBanco() {
    auto p = TParque_ModeloTeorico::Create_Nuevo();
    p->potencia_autorizada_mw = p->potencia_nominal = 60;
    for (int fila = 0; fila < 5; ++fila)
        for (int col = 0; col < 6; ++col) {
            auto m = std::make_unique<TMolino>();
            m->nid = fila * 6 + col + 1;
            m->posicion =
                TPosicion::Create(-1530 + 600 * col + 37 * std::sin(fila + col), -980 + 500 * fila + 150 * (col % 2));
            m->curva = CurvaDe2MW();
            p->molinos.push_back(std::move(m));
        }
    p->Preparar();
    return p;
}
