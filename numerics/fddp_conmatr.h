#pragma once
// Empirical distribution of a set of samples: piecewise-uniform density
// between consecutive sorted samples, each gap holding 1/(n - 1) of the mass.
// A run of equal samples is an empty gap: its density is 1,000,000.
#include <cstdint>
#include <memory>

#include "numerics/fddp.h"
#include "numerics/matreal.h"

class Tf_ddp_VectDeMuestras : public Tf_ddp {
public:
    // Its own copy of the samples, sorted ascending.
    TVectR muestras;

    // The caller's vector is left untouched. Raises EErrorQuendal when there
    // is no sample or a sample is not finite.
    static std::unique_ptr<Tf_ddp_VectDeMuestras> Create(const TVectR& muestrasDadas, TMadreUniforme* generador,
                                                         int32_t semillaInicial);
    Tf_ddp_VectDeMuestras(TVectR muestrasOrdenadas, TMadreUniforme* generador, int32_t semillaInicial);

    double Densidad(double x) override;
    double DistribucionPorIntegral(double x) override;
    double Inversa(double u) override;

    // The gap that holds x: 0 below the first sample, j for [s_j, s_(j+1)),
    // and the middle of a run of samples equal to x.
    int32_t Segmento(double x) const;
};
