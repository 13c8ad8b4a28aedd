#pragma once
// Model files whose park block is of version 3, as older writers left them:
// the block holds the met-mast tables but neither the metering factor nor
// the plant's number in the metering service.
#include <string>

#include "models/uparques_modeloteorico.h"
#include "numerics/archivotexto.h"
#include "numerics/matreal.h"
#include "test_calibrador_apoyo.h"

namespace bloque_antiguo {

// The writer's block with the version line "VERSION=3" and without its last
// two items.
inline std::string BloqueParqueVersion3(const TParque_ModeloTeorico& parque) {
    TEscritorTexto f = TEscritorTexto::EnMemoria();
    parque.GuardarEnTexto(f);
    std::string texto = f.Contenido();
    for (int item = 0; item < 2; ++item) texto.erase(texto.rfind('\n', texto.size() - 2) + 1);
    texto.replace(0, texto.find('\n'), "VERSION=3");
    return texto;
}

// A calibrator file: the version-3 park block and the hand-made empirical
// block (72 sectors, 10 bins, no samples).
inline std::string CalibradorVersion3(const TParque_ModeloTeorico& parque) {
    TEscritorTexto f = TEscritorTexto::EnMemoria();
    apoyo_calibrador::EscribirBloqueEmpiricoDeMano(f);
    return BloqueParqueVersion3(parque) + f.Contenido();
}

// A combined-model file: the calibrator above and a factor matrix of ones.
inline std::string ModeloCombinadoVersion3(const TParque_ModeloTeorico& parque) {
    TEscritorTexto f = TEscritorTexto::EnMemoria();
    TMatR factores(apoyo_calibrador::SectoresDeMano, apoyo_calibrador::TramosDeMano);
    factores.Unos();
    factores.GuardarEnTexto(f);
    return CalibradorVersion3(parque) + f.Contenido();
}

}  // namespace bloque_antiguo
