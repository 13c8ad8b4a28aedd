#include "numerics/fddp.h"

#include <cmath>

#include "numerics/errores.h"
#include "numerics/math01.h"
#include "numerics/textoreal.h"
#include "numerics/xmatdefs.h"

namespace {

constexpr double kToleranciaIncremental = 1e-4;
constexpr double kMaximoPasosIncrementales = 10000.0;
constexpr double kToleranciaInversa = 1e-4;
constexpr int32_t kMaximoBiseccionesInversa = 1000;

constexpr int32_t kModulo = 1000000000;
constexpr int32_t kSemillaBase = 161803398;

int64_t SemillaAlmacenada(int32_t semilla) { return semilla > 0 ? -static_cast<int64_t>(semilla) : semilla; }

// The uniform distribution's closed form, shared by its three distribution slots.
double UniformeAcumulada(double x) {
    if (x < 0.0) return 0.0;
    if (x >= 1.0) return 1.0;
    return x;
}

}  // namespace

// ---------------------------------------------------------------- Tf_ddp

Tf_ddp::Tf_ddp(double xMin, double pMin, double xMax, double pMax, int32_t semillaInicial)
    : semilla(SemillaAlmacenada(semillaInicial)),
      P_min(pMin),
      x_min(xMin),
      P_max(pMax),
      x_max(xMax),
      valorAcumulado(pMin),
      ultimoPunto(xMin) {}

Tf_ddp::Tf_ddp(double xMin, double pMin, double xMax, double pMax, TMadreUniforme* generadorDado,
               int32_t semillaInicial)
    : Tf_ddp(xMin, pMin, xMax, pMax, semillaInicial) {
    if (generadorDado == nullptr) {
        generadorPropio_ = TMadreUniforme::Create(semillaInicial);
        generador = generadorPropio_.get();
    } else {
        generador = generadorDado;
    }
}

Tf_ddp::~Tf_ddp() = default;

double Tf_ddp::Distribucion(double x) { return DistribucionIncremental(x); }

double Tf_ddp::DistribucionPorIntegral(double x) {
    bool convergio;
    return P_min + RombergUltimaEstimacion([this](double t) { return Densidad(t); }, x_min, x, UmbralCero,
                                           convergio);
}

double Tf_ddp::DistribucionIncremental(double x) {
    auto integral = [this](double desde, double hasta) {
        bool convergio;
        return RombergUltimaEstimacion([this](double t) { return Densidad(t); }, desde, hasta,
                                       kToleranciaIncremental, convergio);
    };
    const bool pasoUtil = paso > 0.0 && std::isfinite(paso) &&
                          std::fabs(x - ultimoPunto) / paso <= kMaximoPasosIncrementales;
    if (!pasoUtil) {
        valorAcumulado = DistribucionPorIntegral(x);
        ultimoPunto = x;
        return valorAcumulado;
    }
    const double sentido = x >= ultimoPunto ? 1.0 : -1.0;
    // Bounded as well, for a step below the resolution of the last point.
    const auto pasosCompletos = static_cast<int32_t>(std::fabs(x - ultimoPunto) / paso);
    for (int32_t dado = 0; dado < pasosCompletos && sentido * (x - ultimoPunto) > paso; ++dado) {
        const double siguiente = ultimoPunto + sentido * paso;
        valorAcumulado += integral(ultimoPunto, siguiente);
        ultimoPunto = siguiente;
    }
    valorAcumulado += integral(ultimoPunto, x);
    ultimoPunto = x;
    return valorAcumulado;
}

double Tf_ddp::Inversa(double u) {
    if (std::isnan(u)) throw EMathError("Tf_ddp.Inversa: probabilidad no numérica");
    if (u <= P_min) return x_min;
    if (u >= P_max) return x_max;
    objetivo = u;
    double raiz, fRaiz;
    int32_t iteraciones;
    bool convergio;
    BuscarCeroBiseccion([this](double x) { return DistribucionPorIntegral(x) - objetivo; }, x_min, x_max,
                        kToleranciaInversa, kMaximoBiseccionesInversa, raiz, fRaiz, iteraciones, convergio);
    if (!convergio) throw EErrorQuendal(" Problema de convergencia , area: " + FormatoGeneral(u, 15));
    return raiz;
}

double Tf_ddp::Sortear() {
    if (generador == nullptr) throw EErrorQuendal("Tf_ddp.Sortear: la distribución no tiene generador");
    return Inversa(generador->Sortear());
}

void Tf_ddp::FijarSemilla(int32_t nuevaSemilla) { semilla = SemillaAlmacenada(nuevaSemilla); }

// ---------------------------------------------------------------- TMadreUniforme

TMadreUniforme::TMadreUniforme(int32_t semillaInicial) : Tf_ddp(0.0, 0.0, 1.0, 1.0, 0) {
    FijarSemilla(semillaInicial);
}

double TMadreUniforme::Densidad(double x) { return x >= 0.0 && x < 1.0 ? 1.0 : 0.0; }
double TMadreUniforme::Distribucion(double x) { return UniformeAcumulada(x); }
double TMadreUniforme::DistribucionPorIntegral(double x) { return UniformeAcumulada(x); }
double TMadreUniforme::DistribucionIncremental(double x) { return UniformeAcumulada(x); }

double TMadreUniforme::Inversa(double u) { return UniformeAcumulada(u); }

void TMadreUniforme::FijarSemilla(int32_t nuevaSemilla) { semilla = SemillaAlmacenada(nuevaSemilla); }

void TMadreUniforme::ConstruirTabla() {
    int64_t mj = kSemillaBase + semilla;
    while (mj < 0) mj += kModulo;
    mj = mj % kModulo;
    tabla_[55] = static_cast<int32_t>(mj);
    int64_t mk = 1;
    for (int32_t i = 1; i <= 54; ++i) {
        const int32_t ii = (21 * i) % 55;
        tabla_[ii] = static_cast<int32_t>(mk);
        mk = mj - mk;
        if (mk < 0) mk += kModulo;
        mj = tabla_[ii];
    }
    for (int pasada = 1; pasada <= 4; ++pasada)
        for (int32_t k = 1; k <= 55; ++k) {
            tabla_[k] -= tabla_[1 + (k + 30) % 55];
            if (tabla_[k] < 0) tabla_[k] += kModulo;
        }
    indice1_ = 0;
    indice2_ = 31;
    semilla = -semilla;
}

double TMadreUniforme::Sortear() {
    if (semilla < 0) ConstruirTabla();
    if (++indice1_ == 56) indice1_ = 1;
    if (++indice2_ == 56) indice2_ = 1;
    int32_t v = tabla_[indice1_] - tabla_[indice2_];
    if (v < 0) v += kModulo;
    tabla_[indice1_] = v;
    return v * 1e-9;
}
