#pragma once
// Weibull distribution fitted to samples by least squares on the Weibull
// plot: with plotting positions p_i = (i - 0.5)/n, ln(ln(1/(1 - p_i))) is a
// straight line in ln(x_i) of slope k and ordinate -k ln(lambda).
#include <cstdint>
#include <memory>

#include "numerics/fddp.h"
#include "numerics/matreal.h"

class Tf_ddp_Weibull : public Tf_ddp {
public:
    double k = 0.0;             // shape
    double lambda = 0.0;        // scale
    double kSobreLambda = 0.0;  // k / lambda
    double unoSobreK = 0.0;     // 1 / k

    // Fits the samples in the order given (sorted ascending by the caller).
    // Raises "Imposible invertir sistema Tf_ddp_Weibull.Create_vmuetras en
    // fddp.pas" for fewer than two samples or samples all equal, and
    // EErrorQuendal for a sample that is not a positive finite number.
    static std::unique_ptr<Tf_ddp_Weibull> Create_vmuetras(const TVectR& muestras, TMadreUniforme* generador,
                                                           int32_t semillaInicial);
    // Support [0, xMax] with P_min 0 and P_max 1.
    Tf_ddp_Weibull(double forma, double escala, double xMax, TMadreUniforme* generador, int32_t semillaInicial);

    double Densidad(double x) override;
    double Distribucion(double x) override;
    double DistribucionPorIntegral(double x) override;
    double DistribucionIncremental(double x) override;
    // Raises EMathError for u >= 1 (no finite quantile) or NaN.
    double Inversa(double u) override;
};
