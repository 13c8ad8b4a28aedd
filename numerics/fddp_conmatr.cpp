#include "numerics/fddp_conmatr.h"

#include <cmath>
#include <string>
#include <utility>

#include "numerics/errores.h"
#include "numerics/textoreal.h"

namespace {

constexpr double kDensidadHuecoVacio = 1000000.0;

void ExigirMuestrasUtiles(const TVectR& muestras) {
    if (muestras.n < 1) throw EErrorQuendal("Tf_ddp_VectDeMuestras.Create: no hay muestras");
    for (int32_t i = 1; i <= muestras.n; ++i)
        if (!std::isfinite(muestras.pv[i]))
            throw EErrorQuendal("Tf_ddp_VectDeMuestras.Create: la muestra " + std::to_string(i) +
                                " no es un número finito");
}

}  // namespace

std::unique_ptr<Tf_ddp_VectDeMuestras> Tf_ddp_VectDeMuestras::Create(const TVectR& muestrasDadas,
                                                                     TMadreUniforme* generador,
                                                                     int32_t semillaInicial) {
    ExigirMuestrasUtiles(muestrasDadas);
    TVectR ordenadas(muestrasDadas);
    ordenadas.Ordenar(true);
    return std::make_unique<Tf_ddp_VectDeMuestras>(std::move(ordenadas), generador, semillaInicial);
}

Tf_ddp_VectDeMuestras::Tf_ddp_VectDeMuestras(TVectR muestrasOrdenadas, TMadreUniforme* generador,
                                             int32_t semillaInicial)
    : Tf_ddp(0.0, 0.0, 1.0, 1.0, generador, semillaInicial), muestras(std::move(muestrasOrdenadas)) {
    ExigirMuestrasUtiles(muestras);
    x_min = muestras.pv[1];
    x_max = muestras.pv[muestras.n];
}

int32_t Tf_ddp_VectDeMuestras::Segmento(double x) const {
    const TDAofNReal& s = muestras.pv;
    if (x < s[1]) return 0;
    const int32_t k = BusquedaBinaria(s, 1, muestras.n, x);
    int32_t d = k;
    while (d > 2 && s[d - 1] == x) --d;
    if (d == k) return k - 1;
    // The middle of the run, in single precision as the model was built.
    const float medio = static_cast<float>(k + d) * 0.5f - 0.5f;
    return static_cast<int32_t>(medio);
}

double Tf_ddp_VectDeMuestras::Densidad(double x) {
    const int32_t n = muestras.n;
    const int32_t j = Segmento(x);
    if (j < 1 || j >= n) return 0.0;
    const double hueco = muestras.pv[j + 1] - muestras.pv[j];
    if (hueco > UmbralCero) return 1.0 / hueco / (n - 1);
    return kDensidadHuecoVacio;
}

double Tf_ddp_VectDeMuestras::DistribucionPorIntegral(double x) {
    const int32_t n = muestras.n;
    const int32_t j = Segmento(x);
    if (j >= n) return 1.0;
    if (j < 1) return 0.0;
    const double hueco = muestras.pv[j + 1] - muestras.pv[j];
    if (hueco > UmbralCero) return (j + (x - muestras.pv[j]) / hueco) / n;
    return static_cast<double>(j) / n;
}

double Tf_ddp_VectDeMuestras::Inversa(double u) {
    const int32_t n = muestras.n;
    const double t = (n - 1) * u;
    if (std::isnan(t)) throw EMathError("Tf_ddp_VectDeMuestras.Inversa: probabilidad no numérica");
    // Compared as doubles before the truncation to an index.
    if (t <= -1.0) return muestras.pv[1];
    if (t >= n - 1) return muestras.pv[n];
    const double parteEntera = std::trunc(t);
    const auto i = static_cast<int32_t>(parteEntera) + 1;
    return muestras.pv[i] + (t - parteEntera) * (muestras.pv[i + 1] - muestras.pv[i]);
}
