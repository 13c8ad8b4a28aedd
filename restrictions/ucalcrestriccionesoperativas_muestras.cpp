// The samples of a wind farm's series: the file read and filtered once, the
// series of one simulation with their flags, and the model powers of a run,
// evaluated once each and, with more than one worker, ahead of the pass.
#include "restrictions/ucalcrestriccionesoperativas.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "models/uauxdensidad.h"
#include "models/ufiltrosmuestras.h"
#include "models/uparques_modelocombinado.h"
#include "models/uparques_modeloempirico.h"
#include "numerics/errores.h"
#include "numerics/uhilos.h"
#include "restrictions/ucalcrestriccionesoperativas_interno.h"

using namespace restricciones_interno;

namespace {

// Air density when temperature, pressure or humidity make none [kg/m³],
// the sample filters' own fallback.
constexpr double DensidadDeRespaldo = 1.18;

}  // namespace

TSeriesEolicasFiltradas LeerYFiltrarSeriesEolicas(const TParque_ModeloTeorico& parque,
                                                  const std::string& archivoSeries) {
    TSeriesEolicasFiltradas s;
    s.datos = TSeriesDeDatos::Create(archivoSeries);
    TSeriesDeDatos& d = *s.datos;
    TParque_ModeloEmpirico::ExigirSeriesEolicas(d);
    TDAOfBoolean distancia, disponibilidad;
    FiltrarMuestras(parque, d.Serie(ColPotencia), d.Serie(ColVelocidad), d.Serie(ColHumedad), d.Serie(ColDireccion),
                    d.Serie(ColTemperatura), d.Serie(ColPresion), d.Serie(ColConsigna),
                    d.Serie(ColVarianzaVelocidad), d.Serie(ColDisponibilidad), s.Filt_Coherencia, s.Filt_CGM,
                    s.Filt_Huecos, distancia, disponibilidad, false, false);
    return s;
}

namespace restricciones_interno {

TMuestrasEolicas::TMuestrasEolicas(const TSeriesEolicasFiltradas& series, const TParque_ModeloCombinado& modelo,
                                   bool sinMatrizFactores, bool velLibre, bool soloTeorico)
    : series_(series), modelo_(modelo), sinMatrizFactores_(sinMatrizFactores), velLibre_(velLibre),
      soloTeorico_(soloTeorico) {
    TSeriesDeDatos& datos = *series.datos;
    TParque_ModeloEmpirico::ExigirSeriesEolicas(datos);
    for (int32_t c = 0; c < ColumnasEolicas; ++c) columnas_[c] = &datos.Serie(c);
    N = columnas_[ColVelocidad]->n;
    const auto banderas = static_cast<std::size_t>(N) + 1;
    if (series.Filt_Huecos.size() != banderas || series.Filt_Coherencia.size() != banderas ||
        series.Filt_CGM.size() != banderas)
        throw EErrorQuendal("Las marcas de los filtros no corresponden a la serie \"" + datos.Archivo() + "\"");
    t1 = datos.dtPrimeraMuestra;
    dt = datos.PeriodoDias;
    Pa = modelo.Parque->potencia_autorizada_mw;
}

TMuestrasEolicas::TPotencias TMuestrasEolicas::PotenciaModelo(TParque_ModeloTeorico& parque, int32_t i) const {
    double densidad = DensidadAire(Valor(ColTemperatura, i), Valor(ColPresion, i), Valor(ColHumedad, i));
    if (!std::isfinite(densidad)) densidad = DensidadDeRespaldo;
    TPotencias p;
    double teorica = 0;
    modelo_.CalcularPotencia(parque, sinMatrizFactores_, p.conCGM, p.sinCGM, teorica, Valor(ColVelocidad, i),
                             Valor(ColDireccion, i), densidad, CGM(i), soloTeorico_, velLibre_);
    return p;
}

TPotenciasDeCorrida::TPotenciasDeCorrida(const TMuestrasEolicas& m, TParque_ModeloCombinado& modelo, int32_t hilos)
    : m_(m), modelo_(modelo), hilos_(hilos), potencias_(static_cast<std::size_t>(m.N) + 1),
      conocida_(potencias_.size(), 0) {}

void TPotenciasDeCorrida::Anticipar(std::vector<int32_t> muestras) {
    std::sort(muestras.begin(), muestras.end());
    muestras.erase(std::unique(muestras.begin(), muestras.end()), muestras.end());
    std::erase_if(muestras, [this](int32_t i) { return conocida_[static_cast<std::size_t>(i)] != 0; });
    if (hilos_ <= 1 || muestras.size() < 2) return;
    // The first one on the shared model, here: a model that cannot be
    // evaluated at all fails on the main thread, and no worker starts.
    try {
        Evaluar(*modelo_.Parque, muestras.front());
        ultimaEnModelo_ = muestras.front();
    } catch (...) {
        return;  // the pass meets the failure in its own order
    }
    const std::span<const int32_t> resto(muestras.data() + 1, muestras.size() - 1);
    const int32_t hilos = HilosParaBloques(resto.size(), hilos_, MuestrasPorBloque);
    std::vector<std::unique_ptr<TParque_ModeloTeorico>> parques;
    for (int32_t h = 0; h < hilos; ++h) {
        parques.push_back(TParque_ModeloTeorico::Create_Clonar(*modelo_.Parque));
        // A copy's state is thrown away, so a calm reading may skip its pass.
        parques.back()->omitirPasadaEnCalma = true;
    }
    const auto bloque = [&](int32_t hilo, std::size_t desde, std::size_t hasta) {
        TParque_ModeloTeorico& parque = *parques[static_cast<std::size_t>(hilo)];
        for (std::size_t k = desde; k < hasta; ++k) {
            try {
                Evaluar(parque, resto[k]);
            } catch (...) {
                // left unknown: the pass evaluates it on the main thread
            }
        }
    };
    RepartirEnBloques(resto.size(), hilos, MuestrasPorBloque, bloque);
}

TMuestrasEolicas::TPotencias TPotenciasDeCorrida::Potencia(int32_t i) {
    ultimaPedida_ = i;
    if (!conocida_[static_cast<std::size_t>(i)]) {
        Evaluar(*modelo_.Parque, i);
        ultimaEnModelo_ = i;
    }
    return potencias_[static_cast<std::size_t>(i)];
}

void TPotenciasDeCorrida::DejarModeloComoUltimaPedida() {
    if (ultimaPedida_ < 1 || ultimaEnModelo_ == ultimaPedida_) return;
    m_.PotenciaModelo(*modelo_.Parque, ultimaPedida_);
    ultimaEnModelo_ = ultimaPedida_;
}

void TPotenciasDeCorrida::Evaluar(TParque_ModeloTeorico& parque, int32_t i) {
    const auto k = static_cast<std::size_t>(i);
    potencias_[k] = m_.PotenciaModelo(parque, i);
    conocida_[k] = 1;
}

}  // namespace restricciones_interno
