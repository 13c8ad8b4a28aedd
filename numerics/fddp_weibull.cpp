#include "numerics/fddp_weibull.h"

#include <cmath>
#include <string>

#include "numerics/errores.h"
#include "numerics/textoreal.h"

namespace {

const char* const kSistemaSingular = "Imposible invertir sistema Tf_ddp_Weibull.Create_vmuetras en fddp.pas";

// At least two positive finite samples, not all equal; otherwise the fit has
// no line to find (or logarithms to take).
void ExigirMuestrasAjustables(const TVectR& x) {
    if (x.n < 2) throw EErrorQuendal(kSistemaSingular);
    for (int32_t i = 1; i <= x.n; ++i)
        if (!(x.pv[i] > 0.0) || !std::isfinite(x.pv[i]))
            throw EErrorQuendal("Tf_ddp_Weibull.Create_vmuetras: la muestra " + std::to_string(i) + " (" +
                                FormatoGeneral(x.pv[i], 15) + ") no es un número positivo");
    // Rounding can leave the system barely regular for equal samples.
    if (x.Minimo() == x.Maximo()) throw EErrorQuendal(kSistemaSingular);
}

struct AjusteWeibull {
    double forma;
    double escala;
};

AjusteWeibull AjustarRectaDeWeibull(const TVectR& x) {
    const int32_t n = x.n;
    double sumaZ = 0.0, sumaZ2 = 0.0, sumaY = 0.0, sumaZY = 0.0;
    for (int32_t i = 1; i <= n; ++i) {
        // The plotting position in single precision, as the model was built.
        const float p = static_cast<float>((i - 0.5) / n);
        const double y = std::log(std::log(1.0 / (1.0 - p)));
        const double z = std::log(x.pv[i]);
        sumaZ += z;
        sumaZ2 += z * z;
        sumaY += y;
        sumaZY += z * y;
    }
    VerificarFinito(sumaZ2 + sumaZY + sumaY, "Tf_ddp_Weibull.Create_vmuetras");
    const double mediaZ = sumaZ / n;
    const double mediaY = sumaY / n;
    TMatR sistema(2, 2);
    sistema.pm[1]->pv[1] = sumaZ2 / n;
    sistema.pm[1]->pv[2] = -mediaZ;
    sistema.pm[2]->pv[1] = -mediaZ;
    sistema.pm[2]->pv[2] = 1.0;
    TMatR solucion(2, 1);
    solucion.pm[1]->pv[1] = sumaZY / n;
    solucion.pm[2]->pv[1] = -mediaY;
    bool invertible;
    int32_t exponente;
    sistema.EliminacionGaussJordan(solucion, invertible, exponente);
    if (!invertible) throw EErrorQuendal(kSistemaSingular);
    const double forma = solucion.pm[1]->pv[1];
    const double t = solucion.pm[2]->pv[1];
    const double escala = VerificarFinito(std::exp(t / forma), "Tf_ddp_Weibull.Create_vmuetras (escala)");
    return {forma, escala};
}

}  // namespace

std::unique_ptr<Tf_ddp_Weibull> Tf_ddp_Weibull::Create_vmuetras(const TVectR& muestras, TMadreUniforme* generador,
                                                                int32_t semillaInicial) {
    ExigirMuestrasAjustables(muestras);
    const AjusteWeibull ajuste = AjustarRectaDeWeibull(muestras);
    return std::make_unique<Tf_ddp_Weibull>(ajuste.forma, ajuste.escala, 1000.0 * muestras.Promedio(), generador,
                                            semillaInicial);
}

Tf_ddp_Weibull::Tf_ddp_Weibull(double forma, double escala, double xMax, TMadreUniforme* generador,
                               int32_t semillaInicial)
    : Tf_ddp(0.0, 0.0, xMax, 1.0, generador, semillaInicial),
      k(forma),
      lambda(escala),
      kSobreLambda(VerificarFinito(forma / escala, "Tf_ddp_Weibull (k/lambda)")),
      unoSobreK(VerificarFinito(1.0 / forma, "Tf_ddp_Weibull (1/k)")) {}

double Tf_ddp_Weibull::Densidad(double x) {
    if (x <= UmbralCero) return 0.0;
    const double r = x / lambda;
    const double c = std::pow(r, k);
    return std::exp(-c) * (c / r) * kSobreLambda;
}

double Tf_ddp_Weibull::Distribucion(double x) {
    if (!(x > 0.0)) return 0.0;
    return 1.0 - std::exp(-std::pow(x / lambda, k));
}

double Tf_ddp_Weibull::DistribucionPorIntegral(double x) { return Distribucion(x); }
double Tf_ddp_Weibull::DistribucionIncremental(double x) { return Distribucion(x); }

double Tf_ddp_Weibull::Inversa(double u) {
    if (u <= UmbralCero) return 0.0;
    return VerificarFinito(lambda * std::pow(-std::log(1.0 - u), unoSobreK), "Tf_ddp_Weibull.Inversa");
}
