#pragma once
// Shared by the calibrator and combined-model targets: the shape of a
// calibrator that was read, and a few estimates on its empirical model (the
// tables came from the file, so their use must be safe too).
#include <cstdint>
#include <initializer_list>
#include <string>

#include "comun.h"
#include "models/ucalibrador.h"

namespace fuzz {

// Both models are there, the empirical one refers to the park, and every
// table the estimators index has the sectors and bins of the block.
inline void ComprobarCalibrador(const TCalibradorParque& c) {
    FUZZ_EXIGIR(c.Parque != nullptr && c.ModeloEmpirico != nullptr, "calibrador sin alguno de sus modelos");
    const TParque_ModeloEmpirico& e = *c.ModeloEmpirico;
    FUZZ_EXIGIR(e.parque == c.Parque.get(), "el modelo empírico no apunta al parque del calibrador");
    const int32_t nS = e.nSectores();
    const int32_t nT = e.nTramos();
    FUZZ_EXIGIR(nS >= 1 && nT >= 1, "modelo empírico sin sectores o sin tramos");
    for (const TMatR* tabla : {&e.cntTramos, &e.ordenadasTramos, &e.pendientesTramos, &e.PE_Tramos})
        FUZZ_EXIGIR(tabla->nf == nS && tabla->nc == nT, "tabla de tramos de otra forma");
    FUZZ_EXIGIR(e.mediosTramos.n == nT, "medios de los tramos de otra cantidad");
    for (const TVectR* v : {&e.alfa, &e.vm, &e.Pmax, &e.DeltaP, &e.alfa_varvel})
        FUZZ_EXIGIR(v->n == nS, "vector de curvas S de otra cantidad");
    FUZZ_EXIGIR(!e.TieneMuestras(), "un modelo leído no tiene muestras");
}

// The bin and S-curve estimators at directions around the circle and at
// the block's first and last mid points, and the inverse S-curve of the
// first and last sectors: they may fail only with the library's own errors.
inline void ProbarEstimadores(const char* lector, const TParque_ModeloEmpirico& e) {
    const double medios[] = {e.mediosTramos.pv[1], e.mediosTramos.pv[e.mediosTramos.n], 1e-4};
    const TErrorLector error = ConErroresPropios(lector, [&] {
        for (const double direccion : {0.0, 2.5, 181.0, 359.9}) {
            for (const double pd : medios) {
                double cuenta = 0;
                e.PE_PorTramos(direccion, pd, cuenta);
                e.PE_CurvaS(direccion, pd, 1.0);
            }
        }
        for (const int32_t k : {1, e.nSectores()}) {
            for (const double potencia : {0.5, 10.0}) {
                bool valida = false;
                e.VientoCurvaSInversa(k, potencia, valida);
            }
        }
    });
    FUZZ_EXIGIR(error == TErrorLector::Ninguno || error == TErrorLector::Matematico,
                std::string(lector) + ": un estimador falla con un error que no es matemático");
}

}  // namespace fuzz
