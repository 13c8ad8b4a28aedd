#pragma once
// The steps of a pass in their whole-row form: each takes a full row of the
// grid as a vector indexed 1..nc and runs the park's own step on it, so that
// a test can check a step against its definition on a row of its choosing.
#include <algorithm>
#include <vector>

#include "models/uparques_modeloteorico.h"

namespace pasos_de_pasada {

// The row step over columns 2..nc − 1, recovering towards the park's pvLibre;
// columns 1 and nc are not written.
inline void PropagarFila(const TParque_ModeloTeorico& p, TVectR& nueva, const TVectR& vieja) {
    const int32_t nc = std::min(nueva.n, vieja.n);
    p.PropagarFila(nueva.pv.data(), vieja.pv.data(), 2, nc - 1, p.pvLibre);
}

// Every turbine whose row is kFila takes its power from `fila` at the scale
// and air density given, with its own etha and the park's fpv3pe, and keeps
// its pvMedia and potencia; the others are left alone.
inline void ProcesarMolinosDeFila(TParque_ModeloTeorico& p, int32_t kFila, TVectR& fila, double escala,
                                  double densidad) {
    std::vector<double> ethas;
    for (const auto& molino : p.molinos) {
        ethas.push_back(molino->etha);
        if (molino->posicion.fila == kFila) fila.ExigirElementos(molino->posicion.colFin, "ProcesarMolinosDeFila");
    }
    std::vector<TExtraccion> tomadas(p.molinos.size());
    std::size_t siguiente = 0;
    p.ProcesarMolinosDeFila(kFila, fila.pv.data(), {p.pvLibre, escala, densidad, p.fpv3pe, ethas.data()},
                            siguiente, tomadas.data());
    for (std::size_t i = 0; i < p.molinos.size(); ++i) {
        TMolino& molino = *p.molinos[i];
        if (molino.posicion.fila != kFila) continue;
        molino.pvMedia = tomadas[i].pvMedia;
        molino.potencia = tomadas[i].potencia;
    }
}

}  // namespace pasos_de_pasada
