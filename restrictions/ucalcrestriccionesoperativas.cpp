#include "restrictions/ucalcrestriccionesoperativas.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <limits>
#include <memory>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "charts/uPrint.h"
#include "data/ucarpetasmodelos.h"
#include "data/unidades.h"
#include "data/upgsql.h"
#include "data/utsdbTypes.h"
#include "models/uGranjaSolar.h"
#include "models/uauxdensidad.h"
#include "models/ufiltrosmuestras.h"
#include "models/uparques_modelocombinado.h"
#include "numerics/archivotexto.h"
#include "numerics/consola.h"
#include "numerics/errores.h"
#include "numerics/textoreal.h"
#include "numerics/uhilos.h"

namespace {

// A set-point restricts the plant when it lies below the threshold less
// 0.5 MW; -1 or below is no value and is neither restricted nor free.
bool ConsignaRestringe(double consigna, double umbral) {
    return consigna > -1 && consigna < umbral - 0.5;
}

bool ConsignaLibera(double consigna, double umbral) {
    return consigna > -1 && consigna > umbral - 0.5;
}

constexpr double DiezMinutos = 1.0 / 144;
constexpr double UnaHora = 1.0 / 24;
constexpr double CincoMinutos = 1.0 / 288;
constexpr double SesentaYCincoMinutos = 13.0 / 288;

}  // namespace

// ------------------------------------------------------------ windows

bool BuscarInicioRestriccion(const TVectR& consignas, double umbral, int32_t& k, int32_t hasta) {
    while (k <= hasta && !ConsignaRestringe(consignas.pv[k], umbral)) ++k;
    return k <= hasta;
}

bool BuscarFinRestriccion(const TVectR& consignas, double umbral, int32_t& k) {
    while (k <= consignas.n && !ConsignaLibera(consignas.pv[k], umbral)) ++k;
    return k <= consignas.n;
}

TDAofRecsFechas BuscarVentanasDeRestriccion(const TVectR& consignas, TDateTime t1, double dt,
                                            double umbral, TDateTime& fechaIni, TDateTime& fechaFin) {
    if (!(std::isfinite(dt) && dt > 0))
        throw EErrorQuendal("El período de muestreo de la serie debe ser un número positivo");
    const int32_t n = consignas.n;
    fechaIni = std::max(fechaIni, t1);
    fechaFin = std::min(fechaFin, FechaDeMuestra(t1, dt, n));

    TDAofRecsFechas ventanas;
    // A period wholly before or after the series holds no sample to scan.
    if (n < 1 || fechaFin < fechaIni) return ventanas;
    const int32_t i0 = MuestraDeFecha(t1, dt, fechaIni);
    const int32_t i1 = std::min(MuestraDeFecha(t1, dt, fechaFin), n);

    int32_t k = i0;
    while (BuscarInicioRestriccion(consignas, umbral, k, i1)) {
        const int32_t inicio = k;
        int32_t fin = inicio + 1;
        BuscarFinRestriccion(consignas, umbral, fin);
        ventanas.push_back({FechaDeMuestra(t1, dt, inicio), FechaDeMuestra(t1, dt, fin)});
        if (fin >= i1) break;
        k = fin + 1;  // the end sample is free, so the next window starts after it
    }
    return ventanas;
}

namespace {

// The set-point series of a file, refused when the file lacks that column:
// asking the series object for it would hand back a zero series.
const TVectR& ColumnaDeConsignas(TSeriesDeDatos& series, int32_t columna) {
    if (columna < 1 || columna > series.NSeries)
        throw EErrorQuendal("El archivo de series \"" + series.Archivo() + "\" tiene " +
                            std::to_string(series.NSeries) + " series y no tiene la columna de consignas " +
                            std::to_string(columna));
    return series.Serie(columna - 1);
}

}  // namespace

TDAofRecsFechas BuscarVentanasDeRestriccion(TSeriesDeDatos& series, double umbral, TDateTime& fechaIni,
                                            TDateTime& fechaFin, int32_t columna) {
    return BuscarVentanasDeRestriccion(ColumnaDeConsignas(series, columna), series.dtPrimeraMuestra,
                                       series.PeriodoDias, umbral, fechaIni, fechaFin);
}

TDAofRecsFechas BuscarVentanasDeRestriccion(const std::string& archivoSeries, double umbral,
                                            TDateTime& fechaIni, TDateTime& fechaFin, int32_t columna) {
    const std::unique_ptr<TSeriesDeDatos> series = TSeriesDeDatos::Create(archivoSeries);
    return BuscarVentanasDeRestriccion(*series, umbral, fechaIni, fechaFin, columna);
}

// ------------------------------------------------------------ energy records

void AgregarEnergiaPorFecha(TDateTime fecha, double energia, double meteo1, double meteo2,
                            double potDato, double potModelo, double consigna,
                            TDAofRecsEnergiaPorFecha& registros) {
    registros.push_back({fecha, energia, potDato, potModelo, consigna, meteo1, meteo2});
}

void SumarEnergiaAlUltimo(double energia, TDAofRecsEnergiaPorFecha& registros) {
    if (registros.empty()) throw EErrorQuendal("SumarEnergiaAlUltimo: la lista de registros está vacía");
    registros.back().ENS += energia;
}

TDateTime EtiquetaHoraria(TDateTime t) {
    // The hours of a day are samples of period one hour from its midnight.
    const TDateTime u = t - DiezMinutos;
    const TDateTime dia = std::trunc(u);
    return FechaDeMuestra(dia, UnaHora, MuestraDeFecha(dia, UnaHora, u));
}

TDAofRecsEnergiaPorFecha AgruparPorHora(const TDAofRecsEnergiaPorFecha& registros) {
    TDAofRecsEnergiaPorFecha horas;
    if (registros.empty()) return horas;
    horas.push_back(RegistroSoloEnergia(EtiquetaHoraria(registros.front().fecha), registros.front().ENS));
    for (std::size_t r = 1; r < registros.size(); ++r) {
        const TRecEnergiaPorFecha& registro = registros[r];
        const TDateTime etiqueta = horas.back().fecha;
        if (etiqueta + CincoMinutos < registro.fecha && registro.fecha < etiqueta + SesentaYCincoMinutos)
            SumarEnergiaAlUltimo(registro.ENS, horas);
        else
            horas.push_back(RegistroSoloEnergia(EtiquetaHoraria(registro.fecha), registro.ENS));
    }
    // A missing ten-minute energy made its hour's sum negative.
    for (TRecEnergiaPorFecha& hora : horas)
        if (hora.ENS < 0) hora.ENS = ValorFaltanteEnergia;
    return horas;
}

// ------------------------------------------------------------ wind simulations

namespace {

// Columns (0-based) of a wind farm's series file.
enum ColumnaEolica : int32_t {
    ColVelocidad = 0,
    ColDireccion,
    ColPotencia,
    ColTemperatura,
    ColPresion,
    ColHumedad,
    ColConsigna,
    ColDisponibilidad,
    ColVarianzaVelocidad,
    ColumnasEolicas
};

constexpr double SinValor = ValorFaltanteEnergia;
// A measured power this far or farther from its set-point [MW]: the set-point
// did not bind.
constexpr double DistanciaConsignaLibre = 4;
// Steady pair: relative change of power below this.
constexpr double CambioRelativoEstable = 0.15;
// A ratio's summed model power must exceed this [MW].
constexpr double SumaModeloMinima = 0.0001;
// A set-point restricts the energy estimate when below Pa less this [MW].
constexpr double MargenConsignaRestringida = 0.5;
// Least availability of a sample in the error statistics [p.u.].
constexpr double DisponibilidadMinimaErrores = 0.99;
// Air density when temperature, pressure or humidity make none [kg/m³],
// the sample filters' own fallback.
constexpr double DensidadDeRespaldo = 1.18;

void MostrarEnConsola(const std::string& texto) {
    EscribirEnConsola(texto);
}

std::string FechaHoraMinuto(TDateTime t) { return FormatDateTime("dd-mm-yyyy hh:mm", t); }

// The summary that closes the ten-minute table of a wind or solar window:
// its period, from the first sample to the start of the last, and its
// energy not generated, as measured and as metered.
void EscribirResumenDeVentana(TEscritorTexto& f, TDateTime inicioVentana, TDateTime finVentana, double total,
                              double factorKOLM) {
    f.EscribirLinea(
        "Fecha inicio\tFecha fin\t Energía no suministrada SCADA [MWh]\t Factor KOLM/SCADA [p.u] \t Energía no "
        "suministrada KOLM [MWh]");
    f.EscribirLinea(FechaHoraMinuto(inicioVentana) + "\t" + FechaHoraMinuto(finVentana - DiezMinutos) + "\t" +
                    RealATextoDefecto(total) + "\t" + RealATextoDefecto(factorKOLM) + "\t" +
                    RealATextoDefecto(total * factorKOLM));
}

// The series of one simulation with their flags, and the model power of a
// sample: everything the two simulations share about one sample.
class TMuestrasEolicas {
public:
    TMuestrasEolicas(const TSeriesEolicasFiltradas& series, const TParque_ModeloCombinado& modelo,
                     bool sinMatrizFactores, bool velLibre, bool soloTeorico)
        : series_(series), modelo_(modelo), sinMatrizFactores_(sinMatrizFactores), velLibre_(velLibre),
          soloTeorico_(soloTeorico) {
        TSeriesDeDatos& datos = *series.datos;
        if (datos.NSeries < ColumnasEolicas)
            throw EErrorQuendal("El archivo de series \"" + datos.Archivo() + "\" tiene " +
                                std::to_string(datos.NSeries) + " series y un parque eólico necesita " +
                                std::to_string(int(ColumnasEolicas)));
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

    double Valor(ColumnaEolica c, int32_t i) const { return columnas_[c]->pv[i]; }
    double P(int32_t i) const { return Valor(ColPotencia, i); }
    double CGM(int32_t i) const { return Valor(ColConsigna, i); }
    TDateTime Fecha(int32_t i) const { return FechaDeMuestra(t1, dt, i); }
    int32_t Indice(TDateTime t) const { return MuestraDeFecha(t1, dt, t); }

    // A gap or a repeated value: no model value.
    bool Excluida(int32_t i) const { return series_.Filt_Huecos[i] || series_.Filt_Coherencia[i]; }
    bool Restringida(int32_t i) const { return series_.Filt_CGM[i] != 0; }
    // Unrestricted, or far enough from its set-point that it did not bind.
    bool SinConsignaQueLimite(int32_t i) const {
        return !Restringida(i) || std::fabs(P(i) - CGM(i)) > DistanciaConsignaLibre;
    }
    bool Usable(int32_t i) const { return !Excluida(i) && SinConsignaQueLimite(i); }
    // The sample gets a model value in a pass.
    bool ConModelo(int32_t i, bool conservarRestringidas) const {
        return !Excluida(i) && (conservarRestringidas || !Restringida(i));
    }
    // The earlier of the pair has power and the later one changed by less
    // than 15 % of it.
    bool Estable(int32_t i, int32_t vecina) const {
        const double anterior = P(std::min(i, vecina));
        return anterior > 0 && std::fabs(P(i) - P(vecina)) / anterior < CambioRelativoEstable;
    }
    // The sample's set-point lies where the energy not generated is estimated.
    bool ConsignaRestringeEstimacion(int32_t i) const {
        return 0 <= CGM(i) && CGM(i) < Pa - MargenConsignaRestringida;
    }

    struct TPotencias {
        double conCGM = 0;  // under the set-point
        double sinCGM = 0;  // Pm: unrestricted, capped at Pa
    };
    // The model power of sample i evaluated on `parque`: the combined
    // model's own park, or a worker's copy of it. It reads the series and
    // the model and changes the park alone.
    TPotencias PotenciaModelo(TParque_ModeloTeorico& parque, int32_t i) const {
        double densidad =
            DensidadAire(Valor(ColTemperatura, i), Valor(ColPresion, i), Valor(ColHumedad, i));
        if (!std::isfinite(densidad)) densidad = DensidadDeRespaldo;
        TPotencias p;
        double teorica = 0;
        modelo_.CalcularPotencia(parque, sinMatrizFactores_, p.conCGM, p.sinCGM, teorica, Valor(ColVelocidad, i),
                                 Valor(ColDireccion, i), densidad, CGM(i), soloTeorico_, velLibre_);
        return p;
    }

    int32_t N = 0;
    TDateTime t1 = 0;
    double dt = 0;
    double Pa = 0;

private:
    const TSeriesEolicasFiltradas& series_;
    const TParque_ModeloCombinado& modelo_;
    bool sinMatrizFactores_, velLibre_, soloTeorico_;
    const TVectR* columnas_[ColumnasEolicas] = {};
};

// The model powers of the samples one run uses, each evaluated once and kept
// by sample index, so that the windows of a restriction run that share a
// sample give it the same power. An evaluation depends on its sample alone
// (it lays the park's grid for the sample's direction first), so the order
// of evaluation changes no bit.
//
// Anticipar evaluates a set of samples before the sequential pass: with more
// than one worker, in blocks handed out to worker threads as they free up,
// each thread evaluating on a park copy of its own, since an evaluation
// changes the park's state; with one worker it leaves them to the pass, as
// the one-thread path always did. The pass asks with Potencia in its own
// order. A sample not known by then (never anticipated, or whose evaluation
// failed on a worker) is evaluated on the shared model when asked for, so a
// failure comes up where the one-thread pass meets it, with its message made
// on the main thread.
class TPotenciasDeCorrida {
public:
    TPotenciasDeCorrida(const TMuestrasEolicas& m, TParque_ModeloCombinado& modelo, int32_t hilos)
        : m_(m), modelo_(modelo), hilos_(hilos), potencias_(static_cast<std::size_t>(m.N) + 1),
          conocida_(potencias_.size(), 0) {}

    void Anticipar(std::vector<int32_t> muestras) {
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

    TMuestrasEolicas::TPotencias Potencia(int32_t i) {
        ultimaPedida_ = i;
        if (!conocida_[static_cast<std::size_t>(i)]) {
            Evaluar(*modelo_.Parque, i);
            ultimaEnModelo_ = i;
        }
        return potencias_[static_cast<std::size_t>(i)];
    }

    // Leaves the shared model's park as the one-thread pass leaves it, with
    // the grid of the last sample asked for (the park picture and
    // ValorEnPunto read it): that sample is evaluated on it again when its
    // power came from elsewhere.
    void DejarModeloComoUltimaPedida() {
        if (ultimaPedida_ < 1 || ultimaEnModelo_ == ultimaPedida_) return;
        m_.PotenciaModelo(*modelo_.Parque, ultimaPedida_);
        ultimaEnModelo_ = ultimaPedida_;
    }

private:
    // Samples handed out to a worker at a time: enough to keep the handing
    // out cheap, few enough to share the end of the list out evenly.
    static constexpr std::size_t MuestrasPorBloque = 64;

    void Evaluar(TParque_ModeloTeorico& parque, int32_t i) {
        const auto k = static_cast<std::size_t>(i);
        potencias_[k] = m_.PotenciaModelo(parque, i);
        conocida_[k] = 1;
    }

    const TMuestrasEolicas& m_;
    TParque_ModeloCombinado& modelo_;
    int32_t hilos_;
    std::vector<TMuestrasEolicas::TPotencias> potencias_;  // by sample index
    std::vector<uint8_t> conocida_;  // one byte per sample, so that threads write apart
    int32_t ultimaPedida_ = 0;       // the last sample the pass asked for
    int32_t ultimaEnModelo_ = 0;     // the last sample evaluated on the shared model
};

// The measured and modelled powers of the last u samples pushed. The ratio
// of their sums adjusts the model; it is 1 before the first push.
class TAnilloRazon {
public:
    explicit TAnilloRazon(int32_t u) : medida_(static_cast<std::size_t>(u), 0.0), modelo_(medida_) {}

    double Razon() const {
        if (posicion_ == 0) return 1;
        double sumaMedida = 0, sumaModelo = 0;
        for (std::size_t k = 0; k < medida_.size(); ++k) {
            sumaMedida += medida_[k];
            sumaModelo += modelo_[k];
        }
        return sumaModelo > SumaModeloMinima ? sumaMedida / sumaModelo : 1;
    }
    // Overwrites the oldest pair.
    void Empujar(double medida, double modelo) {
        posicion_ = posicion_ % static_cast<int32_t>(medida_.size()) + 1;
        medida_[static_cast<std::size_t>(posicion_) - 1] = medida;
        modelo_[static_cast<std::size_t>(posicion_) - 1] = modelo;
    }

private:
    std::vector<double> medida_, modelo_;
    int32_t posicion_ = 0;  // slot of the last push, 1-based; 0 before the first
};

// Where the warm-up of a window starts: going back from iS - 1 over the
// samples 1..n, the sample that brings the count of those `cuenta` accepts
// to u; sample 1 when fewer are found. Shared by the wind and solar windows.
template <class Cuenta>
int32_t InicioCalentamiento(int32_t iS, int32_t n, int32_t u, Cuenta cuenta) {
    if (iS <= 1) return iS;
    int32_t contadas = 0;
    for (int32_t i = std::min(iS - 1, n); i >= 1; --i)
        if (cuenta(i) && ++contadas == u) return i;
    return 1;
}

// The first u samples of 1..n next to a window that `toma` accepts, walking
// away from it from `desde` one sample at a time in direction `paso` (+1
// after the window, -1 before it), in that order.
template <class Toma>
std::vector<int32_t> MuestrasJuntoAVentana(int32_t desde, int32_t paso, int32_t u, int32_t n, Toma toma) {
    std::vector<int32_t> tomadas;
    for (int32_t i = desde; std::ssize(tomadas) < u && i >= 1 && i <= n; i += paso)
        if (toma(i)) tomadas.push_back(i);
    return tomadas;
}

// The ratio of measured to modelled power of those samples, summed in their
// order; 1 when there is none or their model power is nil.
template <class Medida, class Modelo>
double FactorJuntoAVentana(const std::vector<int32_t>& tomadas, Medida medida, Modelo modelo) {
    double sumaMedida = 0, sumaModelo = 0;
    for (int32_t i : tomadas) {
        sumaMedida += medida(i);
        sumaModelo += modelo(i);
    }
    return !tomadas.empty() && sumaModelo > SumaModeloMinima ? sumaMedida / sumaModelo : 1;
}

// Wind: the warm-up counts usable samples above the power given, when one is.
int32_t InicioCalentamiento(const TMuestrasEolicas& m, int32_t iS, int32_t u, std::optional<double> potenciaMinima) {
    return InicioCalentamiento(iS, m.N, u, [&](int32_t i) {
        return m.Usable(i) && (!potenciaMinima || m.P(i) > *potenciaMinima);
    });
}

// Wind: the samples next to a window are usable, steady against their
// neighbour toward it and above 0.2 Pa.
std::vector<int32_t> MuestrasJuntoAVentana(const TMuestrasEolicas& m, int32_t desde, int32_t paso, int32_t u) {
    const double potenciaMinima = 0.2 * m.Pa;
    return MuestrasJuntoAVentana(desde, paso, u, m.N, [&](int32_t i) {
        const int32_t vecina = i - paso;  // toward the window
        if (vecina < 1 || vecina > m.N) return false;
        return m.Usable(i) && m.Estable(i, vecina) && m.P(i) > potenciaMinima;
    });
}

// Wind: their model power is the run's, without set-point.
double FactorJuntoAVentana(const TMuestrasEolicas& m, const std::vector<int32_t>& tomadas,
                           TPotenciasDeCorrida& potencias) {
    return FactorJuntoAVentana(
        tomadas, [&](int32_t i) { return m.P(i); }, [&](int32_t i) { return potencias.Potencia(i).sinCGM; });
}

// The adjustment inside a restriction window: from the pre-window factor at
// its first sample to the post-window factor at its end sample.
struct TAjusteVentana {
    int32_t iA = 0, iB = 0;
    double fpre = 1, fpost = 1;

    bool Contiene(int32_t i) const { return iA <= i && i <= iB; }
    double Factor(int32_t i) const {
        const int32_t nW = iB - iA + 1;
        const double f = nW == 1 ? 0.5 : double(i - iA) / (nW - 1);
        return fpost * f + fpre * (1 - f);
    }
};

// What sets the window simulation and the whole-series simulation apart.
struct TReglasSimulacion {
    // Least measured power of a usable sample counted by the warm-up; none
    // in the whole-series simulation.
    std::optional<double> potenciaMinimaCalentamiento;
    // Least measured power of a sample pushed into the ring; none in the
    // whole-series simulation.
    std::optional<double> potenciaMinimaAnillo;
    // The pre/post-window adjustment; none in the whole-series simulation,
    // which the running ratio adjusts throughout.
    std::optional<TAjusteVentana> ajusteVentana;
    // Samples (first and last) whose energy not generated is estimated: the
    // window's, or those of the caller's restriction period.
    int32_t iEstimacionIni = 1, iEstimacionFin = 0;
    // Dates of the summary row: start and end of the window or period.
    TDateTime resumenIni = 0, resumenFin = 0;
};

struct TOpcionesSimulacion {
    bool sinMatrizFactores = false, velLibre = false, soloTeorico = false, conservarRestringidas = true;
    bool estadisticasErrores = false;
    int32_t u = 1;
    std::string carpeta;
    double factorKolmScada = 1;
    TExcelFile* informe = nullptr;
};

void ExigirLargoAnillo(int32_t u) {
    if (u < 1)
        throw EErrorQuendal("La cantidad de muestras del buffer debe ser al menos 1 (se indicó " +
                            std::to_string(u) + ")");
}

std::string RutaResultadosMC(const std::string& carpeta, int32_t nid, TDateTime ini, TDateTime fin, int32_t u) {
    return carpeta + "\\c" + std::to_string(nid) + "_ResultadosMC_" + FechaCompacta(ini) + FechaCompacta(fin) + "_" +
           std::to_string(u) + "m.xlt";
}

// Power not generated by a restricted sample with a model value: the
// adjusted model power above the measured one, in single precision, when
// the plant stood within 4 MW of its set-point; 0 when it stood farther.
double PotenciaNoGenerada(double Padj, double P, double CGM) {
    if (!(std::fabs(P - CGM) < DistanciaConsignaLibre)) return 0;
    const float diferencia = static_cast<float>(Padj - P);
    return diferencia > 0 ? static_cast<double>(diferencia) : 0.0;
}

// The columns of the rows handed to the spreadsheet report, with their
// titles after the abscissa's "dt".
struct TColumnasInforme {
    TDAofString titulos;
    TMatOfNReal columnas;

    explicit TColumnasInforme(TDAofString titulosColumnas)
        : titulos(std::move(titulosColumnas)), columnas(titulos.size() - 1) {}
    void Agregar(std::initializer_list<double> fila) {
        std::size_t c = 0;
        for (double x : fila) columnas[c++].push_back(x);
    }
};

// The wind simulations' six columns.
TColumnasInforme ColumnasInformeEolico() {
    return TColumnasInforme({"dt", "Vel[m/s]", "Dir[gr]", "P_MW_Dato[MW]", "CGM_Dato[MW]", "P_MW_MC_conAjCP",
                             "pRed_conAjCP[MW]"});
}

void EscribirInforme(TExcelFile& informe, const TColumnasInforme& filas, TDateTime ini, TDateTime fin, double dt,
                     double Pa) {
    const TDAofString& titulos = filas.titulos;
    // Series 0 is the abscissa; each series holds one realisation per step.
    std::vector<TMatOfNReal> datos;
    const std::size_t pasos = filas.columnas[0].size();
    if (pasos == 0) return;
    TMatOfNReal abscisa(pasos);
    for (std::size_t s = 0; s < pasos; ++s) abscisa[s] = {ini + double(s) * dt};
    datos.push_back(std::move(abscisa));
    for (const TDAofNReal& columna : filas.columnas) {
        TMatOfNReal serie(pasos);
        for (std::size_t s = 0; s < pasos; ++s) serie[s] = {columna[s]};
        datos.push_back(std::move(serie));
    }
    EscribirCronicasExcel(informe, TTipoValoresAComparar::Promedio, titulos, datos,
                          {.nombreHoja = FechaCompacta(ini),
                           .titulo = DateTimeToStr(ini) + " a " + DateTimeToStr(fin),
                           .x0 = ini,
                           .dx = dt,
                           .minimoAutomatico = false,
                           .maximoAutomatico = false,
                           .maximo = 1.1 * Pa});
}

// The samples of a pass over [ini, fin] (already clamped to the series):
// the warm-up from i0, then the simulated ones from iS to iE.
struct TTramoDePasada {
    int32_t i0 = 1, iS = 1, iE = 0;
};

TTramoDePasada TramoDePasada(const TMuestrasEolicas& m, TDateTime ini, TDateTime fin, const TReglasSimulacion& reglas,
                             int32_t u) {
    TTramoDePasada tramo;
    tramo.iS = m.Indice(ini);
    tramo.iE = m.Indice(fin);
    tramo.i0 = InicioCalentamiento(m, tramo.iS, u, reglas.potenciaMinimaCalentamiento);
    return tramo;
}

// The samples of the pass that get a model value, in pass order.
std::vector<int32_t> MuestrasConModelo(const TMuestrasEolicas& m, const TTramoDePasada& tramo,
                                       bool conservarRestringidas) {
    std::vector<int32_t> muestras;
    for (int32_t i = tramo.i0; i <= tramo.iE; ++i)
        if (m.ConModelo(i, conservarRestringidas)) muestras.push_back(i);
    return muestras;
}

// The simulation of [ini, fin] (already clamped to the series) shared by
// both forms: warm-up, main pass, table, records, console and statistics.
// The model powers come from `potencias`, in pass order.
void SimularPeriodo(const TParque_ModeloCombinado& modelo, const TMuestrasEolicas& m, TDateTime ini, TDateTime fin,
                    const TReglasSimulacion& reglas, const TOpcionesSimulacion& op, TPotenciasDeCorrida& potencias,
                    TDAofRecsEnergiaPorFecha& registros) {
    const TParque_ModeloTeorico& parque = *modelo.Parque;
    std::optional<TMatricesConErroresModelos> errores;
    if (op.estadisticasErrores) {
        if (!modelo.ModeloEmpirico) throw EErrorQuendal("El modelo combinado no tiene modelo empírico");
        errores = TMatricesConErroresModelos::Create(25, 360, modelo.ModeloEmpirico->nSectores(),
                                                     modelo.ModeloEmpirico->nTramos(), 7, 20, m.Pa);
    }
    const TTramoDePasada tramo = TramoDePasada(m, ini, fin, reglas, op.u);
    const int32_t iS = tramo.iS, iE = tramo.iE, i0 = tramo.i0;

    TEscritorTexto tabla =
        TEscritorTexto::Crear(RutaLocal(RutaResultadosMC(op.carpeta, parque.nid, ini, fin, op.u)));
    tabla.EscribirLinea(std::string("dt\tVel[m/s]\tDir[gr]\tP_MW_Dato[MW]\tCGM_Dato[MW]\t") +
                        (op.soloTeorico ? "P_MW_MT_conAjCP" : "P_MW_MC_conAjCP") + "\tpRed_conAjCP[MW]");

    TAnilloRazon anillo(op.u);
    TColumnasInforme filasInforme = ColumnasInformeEolico();
    double total = 0;  // [MWh]
    for (int32_t i = i0; i <= iE; ++i) {
        const TDateTime t = m.Fecha(i);
        const double v = m.Valor(ColVelocidad, i), d = m.Valor(ColDireccion, i);
        const double P = m.P(i), CGM = m.CGM(i);
        const bool conModelo = m.ConModelo(i, op.conservarRestringidas);
        double Pm = SinValor, razon = 1;
        if (conModelo) {
            const TMuestrasEolicas::TPotencias muestra = potencias.Potencia(i);
            Pm = muestra.sinCGM;
            razon = anillo.Razon();  // before the sample itself is pushed
            if (m.SinConsignaQueLimite(i) && (!reglas.potenciaMinimaAnillo || P > *reglas.potenciaMinimaAnillo))
                anillo.Empujar(P, Pm);
            if (errores && i >= iS && m.Valor(ColDisponibilidad, i) >= DisponibilidadMinimaErrores)
                errores->Agregar(op.soloTeorico ? muestra.conCGM : std::min(m.Pa, Pm * razon), P, v, d, t);
        }
        if (i < iS) continue;  // the warm-up only feeds the ring

        MostrarEnConsola("\rSimulando fecha: " + DateTimeToStr(t));
        const double factor =
            reglas.ajusteVentana && reglas.ajusteVentana->Contiene(i) ? reglas.ajusteVentana->Factor(i) : razon;
        const double Padj = conModelo ? std::min(m.Pa, Pm * factor) : SinValor;
        double pRed = 0;
        if (reglas.iEstimacionIni <= i && i <= reglas.iEstimacionFin && m.ConsignaRestringeEstimacion(i)) {
            if (conModelo) {
                pRed = PotenciaNoGenerada(Padj, P, CGM);
                AgregarEnergiaPorFecha(t, pRed / 6, v, d, P, Padj, CGM, registros);
                total += pRed / 6;
            } else {
                pRed = SinValor;
                AgregarEnergiaPorFecha(t, SinValor, v, d, P, Padj, CGM, registros);
            }
        }
        std::string fila = DateTimeToStr(t);
        for (double x : {v, d, P, CGM, Padj, pRed}) fila += "\t" + RealATextoDefecto(x);
        tabla.EscribirLinea(fila);
        if (op.informe) filasInforme.Agregar({v, d, P, CGM, Padj, pRed});
    }

    MostrarEnConsola("\n\n");
    tabla.EscribirLinea();
    EscribirResumenDeVentana(tabla, reglas.resumenIni, reglas.resumenFin, total, op.factorKolmScada);
    tabla.Cerrar();
    if (errores)
        errores->Escribir(op.carpeta + "\\c" + std::to_string(parque.nid) + "_Matrices_Errores.xlt");
    if (op.informe) EscribirInforme(*op.informe, filasInforme, ini, fin, m.dt, m.Pa);
    MostrarEnConsola("SIMULACION TERMINADA CON EXITO\n\n");
}

// The first sample at or after t (the sample index rule's tolerance
// included); MuestraDeFecha gives the last one at or before it.
int32_t PrimeraMuestraDesde(const TMuestrasEolicas& m, TDateTime t) {
    const int32_t k = m.Indice(t);
    return m.Fecha(k) < t - 1e-6 * m.dt ? k + 1 : k;
}

TOpcionesSimulacion Opciones(bool sinMatrizFactores, bool velLibre, bool soloTeorico, bool conservarRestringidas,
                             bool estadisticasErrores, int32_t u, const std::string& carpeta, double factorKolmScada,
                             TExcelFile* informe) {
    TOpcionesSimulacion op;
    op.sinMatrizFactores = sinMatrizFactores;
    op.velLibre = velLibre;
    op.soloTeorico = soloTeorico;
    op.conservarRestringidas = conservarRestringidas;
    op.estadisticasErrores = estadisticasErrores;
    op.u = u;
    op.carpeta = carpeta;
    op.factorKolmScada = factorKolmScada;
    op.informe = informe;
    return op;
}

// What a window simulation settles before its pass: the clamped period, the
// rules, and the samples whose ratios give the factors after and before the
// window. None of it depends on a model power.
struct TPlanVentana {
    TDateTime ini = 0, fin = 0;
    TReglasSimulacion reglas;
    std::vector<int32_t> juntoDespues, juntoAntes;
};

TPlanVentana PlanearVentana(const TMuestrasEolicas& m, TDateTime fechaIniSim, TDateTime fechaFinSim,
                            TDateTime fechaIniVentana, TDateTime fechaFinVentana, int32_t u) {
    TPlanVentana plan;
    plan.ini = std::max(fechaIniSim, m.t1);
    plan.fin = std::min(fechaFinSim, m.Fecha(m.N));
    TReglasSimulacion& reglas = plan.reglas;
    reglas.potenciaMinimaCalentamiento = 0.2 * m.Pa;
    reglas.potenciaMinimaAnillo = 0.1 * m.Pa;
    TAjusteVentana ajuste;
    ajuste.iA = m.Indice(fechaIniVentana);
    ajuste.iB = m.Indice(fechaFinVentana);
    plan.juntoDespues = MuestrasJuntoAVentana(m, ajuste.iB + 1, +1, u);
    plan.juntoAntes = MuestrasJuntoAVentana(m, ajuste.iA - 1, -1, u);
    reglas.ajusteVentana = ajuste;
    // The window's own samples, told by index: its start sample to its end
    // sample, both included (the end sample's set-point keeps it out).
    reglas.iEstimacionIni = ajuste.iA;
    reglas.iEstimacionFin = ajuste.iB;
    reglas.resumenIni = fechaIniVentana;
    reglas.resumenFin = fechaFinVentana;
    return plan;
}

// Every sample whose model power the window simulation asks for.
std::vector<int32_t> MuestrasDeVentana(const TMuestrasEolicas& m, const TPlanVentana& plan, int32_t u,
                                       bool conservarRestringidas) {
    std::vector<int32_t> muestras =
        MuestrasConModelo(m, TramoDePasada(m, plan.ini, plan.fin, plan.reglas, u), conservarRestringidas);
    muestras.insert(muestras.end(), plan.juntoDespues.begin(), plan.juntoDespues.end());
    muestras.insert(muestras.end(), plan.juntoAntes.begin(), plan.juntoAntes.end());
    return muestras;
}

// The window simulation once planned: the factors after and before the
// window (in that order), then the pass.
void SimularVentanaPlaneada(const TParque_ModeloCombinado& modelo, const TMuestrasEolicas& m, TPlanVentana plan,
                            const TOpcionesSimulacion& op, TPotenciasDeCorrida& potencias,
                            TDAofRecsEnergiaPorFecha& registros) {
    TAjusteVentana& ajuste = *plan.reglas.ajusteVentana;
    ajuste.fpost = FactorJuntoAVentana(m, plan.juntoDespues, potencias);
    ajuste.fpre = FactorJuntoAVentana(m, plan.juntoAntes, potencias);
    SimularPeriodo(modelo, m, plan.ini, plan.fin, plan.reglas, op, potencias, registros);
}

}  // namespace

TSeriesEolicasFiltradas LeerYFiltrarSeriesEolicas(const TParque_ModeloTeorico& parque,
                                                  const std::string& archivoSeries) {
    TSeriesEolicasFiltradas s;
    s.datos = TSeriesDeDatos::Create(archivoSeries);
    TSeriesDeDatos& d = *s.datos;
    if (d.NSeries < ColumnasEolicas)
        throw EErrorQuendal("El archivo de series \"" + archivoSeries + "\" tiene " + std::to_string(d.NSeries) +
                            " series y un parque eólico necesita " + std::to_string(int(ColumnasEolicas)));
    TDAOfBoolean distancia, disponibilidad;
    FiltrarMuestras(parque, d.Serie(ColPotencia), d.Serie(ColVelocidad), d.Serie(ColHumedad), d.Serie(ColDireccion),
                    d.Serie(ColTemperatura), d.Serie(ColPresion), d.Serie(ColConsigna),
                    d.Serie(ColVarianzaVelocidad), d.Serie(ColDisponibilidad), s.Filt_Coherencia, s.Filt_CGM,
                    s.Filt_Huecos, distancia, disponibilidad, false, false);
    return s;
}

void SimularVentanaEolica(bool sinMatrizFactores, TParque_ModeloCombinado& modelo, const TSeriesEolicasFiltradas& series,
                          const std::string& carpeta, bool velLibre, TDateTime fechaIniSim, TDateTime fechaFinSim,
                          TDateTime fechaIniVentana, TDateTime fechaFinVentana, double factorKolmScada,
                          TDAofRecsEnergiaPorFecha& registros, int32_t muestrasBuffer, bool estadisticasErrores,
                          bool soloTeorico, bool conservarRestringidas, TExcelFile* informe) {
    ExigirLargoAnillo(muestrasBuffer);
    const TMuestrasEolicas m(series, modelo, sinMatrizFactores, velLibre, soloTeorico);
    const TPlanVentana plan =
        PlanearVentana(m, fechaIniSim, fechaFinSim, fechaIniVentana, fechaFinVentana, muestrasBuffer);
    TPotenciasDeCorrida potencias(m, modelo, HilosDeTrabajo());
    potencias.Anticipar(MuestrasDeVentana(m, plan, muestrasBuffer, conservarRestringidas));
    SimularVentanaPlaneada(modelo, m, plan,
                           Opciones(sinMatrizFactores, velLibre, soloTeorico, conservarRestringidas,
                                    estadisticasErrores, muestrasBuffer, carpeta, factorKolmScada, informe),
                           potencias, registros);
    potencias.DejarModeloComoUltimaPedida();
}

void SimularVentanaEolica(bool sinMatrizFactores, TParque_ModeloCombinado& modelo, const std::string& archivoSeries,
                          const std::string& carpeta, bool velLibre, TDateTime fechaIniSim, TDateTime fechaFinSim,
                          TDateTime fechaIniVentana, TDateTime fechaFinVentana, double factorKolmScada,
                          TDAofRecsEnergiaPorFecha& registros, int32_t muestrasBuffer, bool estadisticasErrores,
                          bool soloTeorico, bool conservarRestringidas, TExcelFile* informe) {
    ExigirLargoAnillo(muestrasBuffer);
    const TSeriesEolicasFiltradas series = LeerYFiltrarSeriesEolicas(*modelo.Parque, archivoSeries);
    SimularVentanaEolica(sinMatrizFactores, modelo, series, carpeta, velLibre, fechaIniSim, fechaFinSim,
                         fechaIniVentana, fechaFinVentana, factorKolmScada, registros, muestrasBuffer,
                         estadisticasErrores, soloTeorico, conservarRestringidas, informe);
}

void SimularSerieConModeloCombinado(bool sinMatrizFactores, TParque_ModeloCombinado& modelo,
                                    const std::string& archivoSeries, const std::string& carpeta, bool velLibre,
                                    TDateTime fechaIni, TDateTime fechaFin, TDateTime fechaIniRestriccion,
                                    TDateTime fechaFinRestriccion, double factorKolmScada,
                                    TDAofRecsEnergiaPorFecha& registros, int32_t muestrasBuffer,
                                    bool estadisticasErrores, bool soloTeorico, bool conservarRestringidas) {
    ExigirLargoAnillo(muestrasBuffer);
    const TSeriesEolicasFiltradas series = LeerYFiltrarSeriesEolicas(*modelo.Parque, archivoSeries);
    const TMuestrasEolicas m(series, modelo, sinMatrizFactores, velLibre, soloTeorico);
    const TDateTime ini = std::max(fechaIni, m.t1);
    const TDateTime fin = std::min(fechaFin, m.Fecha(m.N));
    if (!(ini <= fin))
        throw EErrorQuendal("El período del " + DateTimeToStr(fechaIni) + " al " + DateTimeToStr(fechaFin) +
                            " no tiene muestras en el archivo de series \"" + archivoSeries + "\", que va del " +
                            DateTimeToStr(m.t1) + " al " + DateTimeToStr(m.Fecha(m.N)));

    TReglasSimulacion reglas;  // no power thresholds and no pre/post-window factors
    // The samples of the restriction period: from the first at or after its
    // start to the last at or before its end.
    reglas.iEstimacionIni = PrimeraMuestraDesde(m, fechaIniRestriccion);
    reglas.iEstimacionFin = m.Indice(fechaFinRestriccion);
    reglas.resumenIni = fechaIniRestriccion;
    reglas.resumenFin = fechaFinRestriccion;

    TPotenciasDeCorrida potencias(m, modelo, HilosDeTrabajo());
    potencias.Anticipar(
        MuestrasConModelo(m, TramoDePasada(m, ini, fin, reglas, muestrasBuffer), conservarRestringidas));
    SimularPeriodo(modelo, m, ini, fin, reglas,
                   Opciones(sinMatrizFactores, velLibre, soloTeorico, conservarRestringidas, estadisticasErrores,
                            muestrasBuffer, carpeta, factorKolmScada, nullptr),
                   potencias, registros);
    potencias.DejarModeloComoUltimaPedida();
}

// ------------------------------------------------------------ result tables

namespace {

constexpr double UnSegundo = 1.0 / 86400;
constexpr int32_t HorasPorDia = 24;
constexpr int32_t MuestrasPorDia = 144;

void LineaDeConsola(const std::string& linea) {
    EscribirLineaEnConsola(linea);
}

std::string Tab(double x) { return "\t" + RealATextoDefecto(x); }

// max(0, x) with the comparison made in single precision and the single
// value widened back; values beyond single range saturate instead of being
// an undefined conversion.
double PositivoEnSimple(double x) {
    if (!(x > -FLT_MAX)) return 0;
    const float simple = x > FLT_MAX ? std::numeric_limits<float>::infinity() : static_cast<float>(x);
    return simple > 0.0f ? static_cast<double>(simple) : 0.0;
}

// The nearest multiple of 0.001, halves going to the even multiple.
double AMilesimos(double x) { return std::nearbyint(x * 1000) / 1000; }

// Row and column (1-based) of an hourly label in the day table whose first
// hour is `origen`, or false when it falls outside the table's D days.
bool CeldaDeHora(TDateTime etiqueta, TDateTime origen, int32_t dias, int32_t& dia, int32_t& hora) {
    const double horas = std::nearbyint((etiqueta - origen) * HorasPorDia);
    if (!(horas >= 0 && horas < static_cast<double>(dias) * HorasPorDia)) return false;
    const int32_t h = static_cast<int32_t>(horas);
    dia = h / HorasPorDia + 1;
    hora = h % HorasPorDia + 1;
    return true;
}

}  // namespace

TDateTime InicioDeHora(TDateTime t) {
    const TDateTime dia = std::trunc(t);
    return FechaDeMuestra(dia, UnaHora, MuestraDeFecha(dia, UnaHora, t));
}

int32_t DiasDeLaTabla(TDateTime fechaIni, TDateTime fechaFin) {
    return std::max(0, MuestraDeFecha(InicioDeHora(fechaIni), 1.0, fechaFin));
}

void EscribirENSHoraria(const std::string& archivo, const TDAofRecsEnergiaPorFecha& horas, double factorKOLM) {
    TEscritorTexto f = TEscritorTexto::Crear(RutaLocal(archivo));
    f.EscribirLinea(
        "Fecha\t Energía no suministrada SCADA [MWh]\t Factor KOLM/SCADA [p.u] \t Energía no suministrada KOLM "
        "[MWh]");
    double total = 0;
    for (const TRecEnergiaPorFecha& hora : horas) {
        f.EscribirLinea(RealATextoDefecto(hora.fecha) + Tab(hora.ENS) + Tab(factorKOLM) +
                        Tab(hora.ENS * factorKOLM));
        if (hora.ENS >= 0) total += hora.ENS;  // a missing hour counts in no total
    }
    f.EscribirLinea("E[MWh] totales" + Tab(total) + "\t" + Tab(total * factorKOLM));
    f.Cerrar();
}

double EscribirMatrizRO_DTE(const std::string& archivo, const TDAofRecsEnergiaPorFecha& horas, double factorKOLM,
                            TDateTime fechaIni, TDateTime fechaFin, double potenciaAutorizada,
                            const TVectR* medidasHorarias) {
    const TDateTime origen = InicioDeHora(fechaIni);
    const int32_t dias = DiasDeLaTabla(fechaIni, fechaFin);
    const double Pa = potenciaAutorizada;
    TMatR celdas(dias, HorasPorDia);
    double recorte = 0;
    for (const TRecEnergiaPorFecha& registro : horas) {
        int32_t d = 0, hr = 0;
        if (!CeldaDeHora(registro.fecha, origen, dias, d, hr)) continue;
        const double E = registro.ENS;
        double celda = 0;
        if (E > 0) {
            const double A = std::min(E * factorKOLM, Pa);  // at most what Pa gives in an hour
            const int32_t indice = (d - 1) * HorasPorDia + hr;
            const double k = medidasHorarias && indice <= medidasHorarias->n ? medidasHorarias->pv[indice] : 0;
            celda = AMilesimos(PositivoEnSimple(std::min(A, Pa - k)));  // the headroom k left
            recorte += celda - A;
        } else if (E != 0) {
            celda = ValorFaltanteEnergia;
        }
        celdas.FijarElemento(d, hr, celda);
    }

    TEscritorTexto f = TEscritorTexto::Crear(RutaLocal(archivo));
    std::string encabezado = "Fecha\tTotal";
    for (int32_t hr = 1; hr <= HorasPorDia; ++hr) encabezado += "\t" + std::to_string(hr);
    f.EscribirLinea(encabezado);
    double sumaDias = 0;
    for (int32_t d = 1; d <= dias; ++d) {
        const TVectR& fila = celdas.Fila(d);
        double totalDia = 0;
        std::string celdasTexto;
        for (int32_t hr = 1; hr <= HorasPorDia; ++hr) {
            if (fila.pv[hr] > 0) totalDia += fila.pv[hr];
            celdasTexto += Tab(fila.pv[hr]);
            LineaDeConsola(std::to_string(d) + " - " + std::to_string(hr) + " = " + FormatoGeneral(fila.pv[hr], 15));
        }
        sumaDias += totalDia;
        f.EscribirLinea(FormatDateTime("dd-mm-yyyy", origen + (d - 1)) + Tab(totalDia) + celdasTexto);
    }
    f.Cerrar();
    const double porcentaje = sumaDias > 0 ? recorte * 100 / sumaDias : 0;
    LineaDeConsola("Recorte acum = " + FormatoGeneral(recorte, 15) + " MWh (" + FormatoGeneral(porcentaje, 15) +
                   " %)");
    return recorte;
}

void EscribirTablaRO_DTE(const TDAofRecsEnergiaPorFecha& registros, TDateTime fechaIni, TDateTime fechaFin,
                         const std::string& archivo, const std::string& tituloMeteo1,
                         const std::string& tituloMeteo2) {
    const int32_t filas = std::max(0, MuestraDeFecha(fechaIni, 1.0, fechaFin)) * MuestrasPorDia;
    TMatR tabla(filas, 6);
    for (const TRecEnergiaPorFecha& r : registros) {
        const double posicion = (r.fecha - fechaIni + UnSegundo) * MuestrasPorDia;
        if (!(posicion >= 0 && posicion < filas)) continue;
        const int32_t fila = static_cast<int32_t>(posicion) + 1;
        const double valores[] = {r.ENS, r.Meteo1, r.Meteo2, r.PotModelo, r.PotDato, r.CGM};
        for (int32_t c = 1; c <= 6; ++c) tabla.FijarElemento(fila, c, valores[c - 1]);
    }

    TEscritorTexto f = TEscritorTexto::Crear(RutaLocal(archivo));
    f.EscribirLinea("Fecha\tENS_MWh\t" + tituloMeteo1 + "\t" + tituloMeteo2 + "\tPotModelo\tPotDato\tCGM");
    for (int32_t j = 1; j <= filas; ++j) {
        std::string linea = FormatDateTime("dd-mm-yyyy hh:mm", FechaDeMuestra(fechaIni, DiezMinutos, j));
        for (int32_t c = 1; c <= 6; ++c) linea += Tab(tabla.Elemento(j, c));
        f.EscribirLinea(linea);
    }
    f.Cerrar();
}

// ------------------------------------------------------------ metered energy

std::string ConsultaVentanaHoraria(int32_t nidKOLM, TDateTime fechaIni, TDateTime fechaFinConsulta) {
    return "/cgi-bin/IntranetApp/ventanaEAS_Horaria?central=" + std::to_string(nidKOLM) +
           "&dtIni=" + FechaCompacta(fechaIni) + "&dtFin=" + FechaCompacta(fechaFinConsulta);
}

TVectR MedidasHorariasDelPeriodo(const TVentanaKOLM_& ventana, TDateTime fechaIni, int32_t nHoras) {
    const TDateTime origen = InicioDeHora(fechaIni);
    TVectR medidas(std::max(0, nHoras));
    for (int32_t j = 1; j <= medidas.n; ++j) {
        int32_t indice = -1;
        const bool enLaVentana = ventana.timeToIndex(FechaDeMuestra(origen, UnaHora, j), indice) && indice >= 0 &&
                                 indice < ventana.count();
        medidas.pv[j] = enLaVentana ? ventana.Registro(indice).valor : ValorVacioKOLM;
    }
    return medidas;
}

namespace {

const char* const SinRecorte = ": la tabla diaria no se recorta por la energía medida.";

// The service's base address without a trailing '/', or empty when unset.
std::string DireccionServicioMedicion() {
    const char* valor = std::getenv(VariableServicioMedicion);
    std::string base = valor ? valor : "";
    while (!base.empty() && base.back() == '/') base.pop_back();
    return base;
}

}  // namespace

std::optional<TVectR> DescargarMedidasHorarias(int32_t nidKOLM, TDateTime fechaIni, TDateTime fechaFin,
                                               TDateTime fechaFinConsulta, const TOpcionesDescarga& opciones,
                                               bool mostrarCantidad) {
    const std::string base = DireccionServicioMedicion();
    if (base.empty()) {
        LineaDeConsola(std::string("No está definida la variable ") + VariableServicioMedicion +
                       " con la dirección del servicio de medición" + SinRecorte);
        return std::nullopt;
    }
    std::unique_ptr<std::stringstream> cuerpo;
    std::string motivo;
    if (!DescargarURL(base + ConsultaVentanaHoraria(nidKOLM, fechaIni, fechaFinConsulta), cuerpo, opciones,
                      &motivo)) {
        LineaDeConsola("No se pudo descargar la ventana horaria de medidas. " + motivo + SinRecorte);
        return std::nullopt;
    }
    std::unique_ptr<TVentanaKOLMHoraria> ventana;
    try {
        ventana = TVentanaKOLMHoraria::CreateFromStream(*cuerpo);
    } catch (const EErrorQuendal& e) {
        LineaDeConsola(std::string("La respuesta del servicio de medición no es una ventana horaria (") + e.what() +
                       ")" + SinRecorte);
        return std::nullopt;
    }
    if (mostrarCantidad) LineaDeConsola("N = " + std::to_string(ventana->count()));
    return MedidasHorariasDelPeriodo(*ventana, fechaIni, HorasPorDia * DiasDeLaTabla(fechaIni, fechaFin));
}

// ------------------------------------------------------------ restriction runs

namespace {

constexpr double CuatroHoras = 1.0 / 6;

void ExigirInicioAntesDelFin(TDateTime fechaIni, TDateTime fechaFin) {
    if (!(fechaIni <= fechaFin))
        throw EErrorQuendal("La fecha de inicio (" + FechaHoraMinuto(fechaIni) + ") es posterior a la fecha de fin (" +
                            FechaHoraMinuto(fechaFin) + ")");
}

// After the window search has clamped the period to the series: a period
// that held no sample ends the run before any table is written.
void ExigirPeriodoEnLaSerie(TDateTime pedidoIni, TDateTime pedidoFin, TDateTime fechaIni, TDateTime fechaFin,
                            const std::string& archivoSeries) {
    if (!(fechaIni <= fechaFin))
        throw EErrorQuendal("El período del " + FechaHoraMinuto(pedidoIni) + " al " + FechaHoraMinuto(pedidoFin) +
                            " no tiene muestras en el archivo de series \"" + archivoSeries + "\"");
}

// What the tables of a run need of its plant.
struct TPlantaDeCorrida {
    int32_t nid = 0;
    int32_t nidKOLM = -1;  // metering number; 0 or below: none
    double Pa = 0;
    double F = 0;  // metered-to-SCADA factor
    const char* tituloMeteo1 = "";
    const char* tituloMeteo2 = "";
};

// The end of both runs: the hourly fold and its table, the metered energy
// when the plant has a metering number, the day table and the ten-minute
// table, all in the plant folder.
void EscribirTablasDeCorrida(const TPlantaDeCorrida& planta, const TDAofRecsEnergiaPorFecha& registros,
                             const std::string& carpeta, int32_t u, TDateTime fechaIni, TDateTime fechaFin,
                             TDateTime fechaFinConsulta, bool mostrarCantidad, const TOpcionesDescarga& opciones) {
    const std::string anillo = std::to_string(u);
    const TDAofRecsEnergiaPorFecha horas = AgruparPorHora(registros);
    EscribirENSHoraria(RutaArchivoCentral(carpeta, planta.nid, "_Restricciones_horarias_" + anillo + "m.xlt"), horas,
                       planta.F);
    std::optional<TVectR> medidas;
    if (planta.nidKOLM > 0)
        medidas = DescargarMedidasHorarias(planta.nidKOLM, fechaIni, fechaFin, fechaFinConsulta, opciones,
                                           mostrarCantidad);
    EscribirMatrizRO_DTE(RutaArchivoCentral(carpeta, planta.nid, "_RO_DTE_" + anillo + "m.xlt"), horas, planta.F,
                         fechaIni, fechaFin, planta.Pa, medidas ? &*medidas : nullptr);
    EscribirTablaRO_DTE(registros, fechaIni, fechaFin,
                        RutaLocal(carpeta + "\\RO_DTE_" + std::to_string(planta.nidKOLM) + "_" + anillo + ".txt"),
                        planta.tituloMeteo1, planta.tituloMeteo2);
}

// ---- solar plant

// The fixed site of the daylight test.
constexpr double LatitudSitio = -31.8, LongitudSitio = -57.6, ZonaHorariaSitio = -3;
constexpr double UmbralDia = 0.01;  // kW/m2 of extraterrestrial irradiance

// Sample tests of the solar window simulation.
class TPruebasSolares {
public:
    TPruebasSolares(const TGeneradorSolar& modelo, const TSerieSolarFiltrada& serie)
        : modelo_(modelo), s_(serie), Pa_(modelo.potencia_autorizada_mw) {}

    bool Excluida(int32_t i) const { return s_.Filt_Huecos[i] || s_.Filt_Coherencia[i]; }
    // The set-point did not bind: no restriction, or the plant stood more
    // than 4 MW away from it.
    bool ConsignaSinEfecto(int32_t i) const {
        return !s_.Filt_CGM[i] || std::fabs(s_.PE.pv[i] - s_.CGM.pv[i]) > DistanciaConsignaLibre;
    }
    bool Utilizable(int32_t i) const {
        return !Excluida(i) && ConsignaSinEfecto(i) && s_.PE.pv[i] > 0.1 * Pa_ && !modelo_.MarcaDeDistancia(i);
    }
    bool SeEmpuja(int32_t i) const {
        return ConsignaSinEfecto(i) && s_.PE.pv[i] > 0.2 * Pa_ && !modelo_.MarcaDeDistancia(i);
    }
    double PotenciaModelo(int32_t i) const { return modelo_.Potencia(s_.Rad.pv[i], s_.Temp.pv[i]); }

    // The ratio of measured to modelled power over the first u usable
    // samples from `desde` walking in direction `paso` (+1 after the window,
    // -1 before it); 1 when there is none. Only the series' samples count.
    double FactorVecino(int32_t desde, int32_t paso, int32_t u) const {
        const auto utilizable = [this](int32_t i) { return Utilizable(i); };
        return FactorJuntoAVentana(
            MuestrasJuntoAVentana(desde, paso, u, s_.n, utilizable), [this](int32_t i) { return s_.PE.pv[i]; },
            [this](int32_t i) { return PotenciaModelo(i); });
    }

    // Where the main pass starts: far enough before iS to fill the rings
    // with u usable samples, or sample 1.
    int32_t InicioPrecalentamiento(int32_t iS, int32_t u) const {
        return InicioCalentamiento(iS, s_.n, u, [this](int32_t i) { return Utilizable(i); });
    }

private:
    const TGeneradorSolar& modelo_;
    const TSerieSolarFiltrada& s_;
    double Pa_;
};

bool EsDeDiaEnElSitio(TDateTime t) {
    return IrradianciaExtraterrestre(t, LatitudSitio, LongitudSitio, ZonaHorariaSitio) > UmbralDia;
}

// The metered-to-SCADA factor of a solar plant, from its row of `centrales`.
// A query that fails ends the run with the database's error, whatever the
// connection's raise flag, before any table is written. A plant without a
// value gives 0, with a warning: the metered energies of the tables are then
// all 0.
double FactorKOLMDeLaCentral(TPgSqlCon& conexion, int32_t nid) {
    const TBanderaDeExcepciones conExcepciones(conexion, true);
    const std::unique_ptr<TPgSqlRes> resultado =
        conexion.sqlexec("SELECT factor_kolm_scada from centrales where nid=" + std::to_string(nid));
    if (!resultado->eof()) {
        const TField& celda = resultado->fieldByName("factor_kolm_scada");
        if (!celda.AsString().empty()) return celda.AsFloat(0);
    }
    LineaDeConsola("Aviso: no se pudo leer factor_kolm_scada de la central " + std::to_string(nid) +
                   " (sin valor en la base de datos); se usa 0.");
    return 0;
}

}  // namespace

TSerieSolarFiltrada TSerieSolarFiltrada::Leer(const TGeneradorSolar& modelo, const std::string& archivoSeries) {
    const std::unique_ptr<TSeriesDeDatos> series = TSeriesDeDatos::Create(archivoSeries);
    if (series->NSeries < 5)
        throw EErrorQuendal("El archivo de series \"" + archivoSeries + "\" tiene " + std::to_string(series->NSeries) +
                            " series y una central solar necesita 5");
    TSerieSolarFiltrada s;
    s.PE = series->Serie(0).Clonar();
    s.fDisp = series->Serie(1).Clonar();
    s.Temp = series->Serie(2).Clonar();
    s.Rad = series->Serie(3).Clonar();
    s.CGM = series->Serie(4).Clonar();
    s.t1 = series->dtPrimeraMuestra;
    s.dt = series->PeriodoDias;
    s.n = s.PE.n;
    TVectR PE_corregida = s.PE.Clonar();
    TDAOfBoolean disponibilidad, distancia, total;
    int32_t validas = 0;
    modelo.FiltrarMuestras(s.PE, s.Rad, s.Temp, s.CGM, s.fDisp, PE_corregida, s.Filt_CGM, s.Filt_Coherencia,
                           disponibilidad, s.Filt_Huecos, distancia, total, validas);
    return s;
}

void SimularVentanaSolar(const TGeneradorSolar& modelo, const std::string& archivoSeries,
                         const std::string& carpeta, TDateTime fechaIni, TDateTime fechaFin,
                         TDateTime inicioVentana, TDateTime finVentana, double factorKOLM,
                         TDAofRecsEnergiaPorFecha& registros, int32_t u, TExcelFile* informe) {
    ExigirLargoAnillo(u);
    const TSerieSolarFiltrada serie = TSerieSolarFiltrada::Leer(modelo, archivoSeries);
    SimularVentanaSolar(modelo, serie, carpeta, fechaIni, fechaFin, inicioVentana, finVentana, factorKOLM, registros,
                        u, informe);
}

void SimularVentanaSolar(const TGeneradorSolar& modelo, const TSerieSolarFiltrada& s, const std::string& carpeta,
                         TDateTime fechaIni, TDateTime fechaFin, TDateTime inicioVentana, TDateTime finVentana,
                         double factorKOLM, TDAofRecsEnergiaPorFecha& registros, int32_t u, TExcelFile* informe) {
    ExigirLargoAnillo(u);
    if (s.n < 1) return;
    const double Pa = modelo.potencia_autorizada_mw;
    const TPruebasSolares pruebas(modelo, s);

    const TDateTime inicio = std::max(fechaIni, s.t1);
    const TDateTime fin = std::min(fechaFin, FechaDeMuestra(s.t1, s.dt, s.n));
    const int32_t iS = MuestraDeFecha(s.t1, s.dt, inicio);
    const int32_t iE = std::min(MuestraDeFecha(s.t1, s.dt, fin), s.n);
    TAjusteVentana ajuste;
    ajuste.iA = MuestraDeFecha(s.t1, s.dt, inicioVentana);
    ajuste.iB = MuestraDeFecha(s.t1, s.dt, finVentana);
    ajuste.fpost = pruebas.FactorVecino(ajuste.iB + 1, +1, u);
    ajuste.fpre = pruebas.FactorVecino(std::min(ajuste.iA - 1, s.n), -1, u);
    const int32_t i0 = pruebas.InicioPrecalentamiento(iS, u);

    TEscritorTexto f = TEscritorTexto::Crear(RutaLocal(RutaResultadosMC(carpeta, modelo.nid, inicio, fin, u)));
    // Every row starts with its line end, so the header stands alone.
    f.Escribir("dt\tRad[W/m2]\tTemp[ºC]\tP_MW_Dato[MW]\tCGM_Dato[MW]\tf_disp[p.u.]\tP_MW_sinAjCP\tP_MW_conAjCP\t"
               "pRed_conAjCP[MW]");
    TAnilloRazon anillos(u);
    TColumnasInforme filasInforme({"dt", "Rad[W/m2]", "Temp[grC]", "P_MW_Dato[MW]", "CGM_Dato[MW]", "f_Disp[%]",
                                   "P_MS_SinAj[MW]", "P_MS_ConAj[MW]", "pRed_conAjCP[MW]"});
    double totalVentana = 0;
    for (int32_t i = std::max(i0, 1); i <= iE; ++i) {
        const TDateTime t = FechaDeMuestra(s.t1, s.dt, i);
        const double P = s.PE.pv[i], CGM = s.CGM.pv[i], R = s.Rad.pv[i], T = s.Temp.pv[i];
        double Pm = SinValor;
        double razon = 1;
        if (!pruebas.Excluida(i)) {
            Pm = pruebas.PotenciaModelo(i);
            razon = anillos.Razon();
            if (pruebas.SeEmpuja(i)) anillos.Empujar(P, Pm);
        }
        if (i < iS) continue;  // warm-up: it only feeds the rings

        MostrarEnConsola("\rSimulando fecha: " + DateTimeToStr(t));
        const double factor = ajuste.Contiene(i) ? ajuste.Factor(i) : razon;
        const double Padj = Pm == SinValor ? SinValor : std::min(Pa, Pm * factor);
        const bool esDeDia = EsDeDiaEnElSitio(t);
        MostrarEnConsola(esDeDia ? "->TRUE\n" : "->FALSE\n");

        double pRed = 0;
        if (inicioVentana <= t && t <= finVentana && 0 <= CGM && CGM < Pa - 0.5 && esDeDia) {
            if (Pm == SinValor)
                pRed = SinValor;
            else if (std::fabs(P - CGM) < 0.08 * Pa)
                pRed = PositivoEnSimple(Padj - P);
            if (pRed == SinValor) {
                AgregarEnergiaPorFecha(t, SinValor, R, T, P, Padj, CGM, registros);
            } else {
                AgregarEnergiaPorFecha(t, pRed / 6, R, T, P, Padj, CGM, registros);
                totalVentana += pRed / 6;
            }
        }
        f.Escribir("\n" + DateTimeToStr(t) + Tab(R) + Tab(T) + Tab(P) + Tab(CGM) + Tab(s.fDisp.pv[i]) + Tab(Pm) +
                   Tab(Padj) + Tab(pRed));
        if (informe) filasInforme.Agregar({R, T, P, CGM, s.fDisp.pv[i], Pm, Padj, pRed});
    }
    MostrarEnConsola("\n\n");
    f.EscribirLinea();
    EscribirResumenDeVentana(f, inicioVentana, finVentana, totalVentana, factorKOLM);
    f.Cerrar();
    if (informe) EscribirInforme(*informe, filasInforme, inicio, fin, s.dt, Pa);
    MostrarEnConsola("SIMULACION TERMINADA CON EXITO\n\n");
}

void ProcesarRestriccionesSolar(TPgSqlCon& conexion, const TGeneradorSolar& modelo,
                                const std::string& archivoSeries, const std::string& carpeta, int32_t u,
                                TDateTime fechaIni, TDateTime fechaFin, const TOpcionesDescarga& opcionesDescarga) {
    ExigirLargoAnillo(u);
    ExigirInicioAntesDelFin(fechaIni, fechaFin);
    const double Pa = modelo.potencia_autorizada_mw;
    const double F = FactorKOLMDeLaCentral(conexion, modelo.nid);

    const TSerieSolarFiltrada serie = TSerieSolarFiltrada::Leer(modelo, archivoSeries);
    const TDateTime pedidoIni = fechaIni, pedidoFin = fechaFin;
    const TDAofRecsFechas ventanas = BuscarVentanasDeRestriccion(serie.CGM, serie.t1, serie.dt, Pa, fechaIni, fechaFin);
    ExigirPeriodoEnLaSerie(pedidoIni, pedidoFin, fechaIni, fechaFin, archivoSeries);

    TDAofRecsEnergiaPorFecha registros;
    for (const TRecFechasRestriccion& v : ventanas)
        SimularVentanaSolar(modelo, serie, carpeta, v.fechaIni - CuatroHoras, v.fechaFin + CuatroHoras, v.fechaIni,
                            v.fechaFin, F, registros, u);

    // The request ends at the period end's own stamp.
    const TPlantaDeCorrida planta{modelo.nid, modelo.nid_central_KOLM, Pa, F, "rad", "temp"};
    EscribirTablasDeCorrida(planta, registros, carpeta, u, fechaIni, fechaFin, fechaFin, false, opcionesDescarga);
}

void ProcesarRestriccionesEolico(const std::string& archivoModelo, const std::string& archivoSeries,
                                 const std::string& carpeta, bool sinFactores, bool velLibre, int32_t u,
                                 TDateTime fechaIni, TDateTime fechaFin, const TOpcionesDescarga& opcionesDescarga) {
    ExigirLargoAnillo(u);
    ExigirInicioAntesDelFin(fechaIni, fechaFin);
    const std::unique_ptr<TParque_ModeloCombinado> modelo = TParque_ModeloCombinado::Create_LeerDeArchivo(archivoModelo);
    const TParque_ModeloTeorico& parque = *modelo->Parque;
    const double Pa = parque.potencia_autorizada_mw;
    const double F = parque.factor_kolm_scada;

    // The series is read and filtered once for all the windows.
    const TSeriesEolicasFiltradas series = LeerYFiltrarSeriesEolicas(parque, archivoSeries);
    const TDateTime pedidoIni = fechaIni, pedidoFin = fechaFin;
    const TDAofRecsFechas ventanas =
        BuscarVentanasDeRestriccion(*series.datos, Pa, fechaIni, fechaFin, ColConsigna + 1);
    ExigirPeriodoEnLaSerie(pedidoIni, pedidoFin, fechaIni, fechaFin, archivoSeries);

    // Every window planned first, so that the model power of each sample
    // the windows use is evaluated once for the whole run, on every worker.
    constexpr bool sinErrores = false, soloTeorico = false, conservarRestringidas = true;
    const TMuestrasEolicas m(series, *modelo, sinFactores, velLibre, soloTeorico);
    std::vector<TPlanVentana> planes;
    std::vector<int32_t> muestras;
    for (const TRecFechasRestriccion& v : ventanas) {
        planes.push_back(PlanearVentana(m, v.fechaIni - CuatroHoras, v.fechaFin + CuatroHoras, v.fechaIni,
                                        v.fechaFin, u));
        const std::vector<int32_t> deVentana = MuestrasDeVentana(m, planes.back(), u, conservarRestringidas);
        muestras.insert(muestras.end(), deVentana.begin(), deVentana.end());
    }
    TPotenciasDeCorrida potencias(m, *modelo, HilosDeTrabajo());
    potencias.Anticipar(std::move(muestras));
    const TOpcionesSimulacion op =
        Opciones(sinFactores, velLibre, soloTeorico, conservarRestringidas, sinErrores, u, carpeta, F, nullptr);
    TDAofRecsEnergiaPorFecha registros;
    for (const TPlanVentana& plan : planes) SimularVentanaPlaneada(*modelo, m, plan, op, potencias, registros);
    // The run's model goes with it, so its park is not brought back to the
    // last sample.

    // The request asks up to the whole day after the period end.
    const TPlantaDeCorrida planta{parque.nid, parque.nid_central_KOLM, Pa, F, "vel", "dir"};
    EscribirTablasDeCorrida(planta, registros, carpeta, u, fechaIni, fechaFin, std::trunc(fechaFin + 1), true,
                            opcionesDescarga);
}
