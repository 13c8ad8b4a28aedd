#pragma once
// What the sources of the operating-restriction unit share, and nothing
// outside it sees: the constants and sample rules of the simulations, the
// ring and the window adjustment of the wind and solar windows, their result
// file and report, the samples of a wind series with their model powers, and
// the plan of a wind window that the restriction run simulates.
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "models/registrosrestriccion.h"
#include "numerics/fechas.h"
#include "numerics/textoreal.h"
#include "restrictions/ucalcrestriccionesoperativas.h"

class TEscritorTexto;

namespace restricciones_interno {

constexpr double DiezMinutos = 1.0 / 144;
constexpr double UnaHora = 1.0 / 24;

constexpr double SinValor = ValorFaltanteEnergia;
// A measured power this far or farther from its set-point [MW]: the set-point
// did not bind.
constexpr double DistanciaConsignaLibre = 4;
// A ratio's summed model power must exceed this [MW].
constexpr double SumaModeloMinima = 0.0001;
// A set-point restricts the energy estimate when below Pa less this [MW].
constexpr double MargenConsignaRestringida = 0.5;

// A gap or a repeated value: the sample gets no model value.
inline bool MuestraExcluida(const TDAOfBoolean& huecos, const TDAOfBoolean& coherencia, int32_t i) {
    return huecos[i] || coherencia[i];
}
// The set-point did not bind: the sample was not restricted, or the plant
// stood farther than DistanciaConsignaLibre from it.
inline bool ConsignaSinEfecto(bool restringida, double P, double CGM) {
    return !restringida || std::fabs(P - CGM) > DistanciaConsignaLibre;
}
// The sample's set-point lies where the energy not generated is estimated.
inline bool ConsignaRestringeEstimacion(double CGM, double Pa) {
    return 0 <= CGM && CGM < Pa - MargenConsignaRestringida;
}

inline std::string FechaHoraMinuto(TDateTime t) { return FormatDateTime("dd-mm-yyyy hh:mm", t); }

inline std::string Tab(double x) { return "\t" + RealATextoDefecto(x); }

// max(0, x) with the comparison made in single precision and the single
// value widened back; values beyond single range saturate instead of being
// an undefined conversion.
inline double PositivoEnSimple(double x) {
    if (!(x > -FLT_MAX)) return 0;
    const float simple = x > FLT_MAX ? std::numeric_limits<float>::infinity() : static_cast<float>(x);
    return simple > 0.0f ? static_cast<double>(simple) : 0.0;
}

// ------------------------------------------------------------ window simulations

// Refused with EErrorQuendal before anything is read or written.
void ExigirLargoAnillo(int32_t u);

std::string RutaResultadosMC(const std::string& carpeta, int32_t nid, TDateTime ini, TDateTime fin, int32_t u);

// The summary that closes the ten-minute table of a wind or solar window:
// its period, from the first sample to the start of the last, and its
// energy not generated, as measured and as metered.
void EscribirResumenDeVentana(TEscritorTexto& f, TDateTime inicioVentana, TDateTime finVentana, double total,
                              double factorKOLM);

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

void EscribirInforme(TExcelFile& informe, const TColumnasInforme& filas, TDateTime ini, TDateTime fin, double dt,
                     double Pa);

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

// ------------------------------------------------------------ wind samples

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

// Steady pair: relative change of power below this.
constexpr double CambioRelativoEstable = 0.15;

// The series of one simulation with their flags, and the model power of a
// sample: everything the two simulations share about one sample.
class TMuestrasEolicas {
public:
    TMuestrasEolicas(const TSeriesEolicasFiltradas& series, const TParque_ModeloCombinado& modelo,
                     bool sinMatrizFactores, bool velLibre, bool soloTeorico);

    double Valor(ColumnaEolica c, int32_t i) const { return columnas_[c]->pv[i]; }
    double P(int32_t i) const { return Valor(ColPotencia, i); }
    double CGM(int32_t i) const { return Valor(ColConsigna, i); }
    TDateTime Fecha(int32_t i) const { return FechaDeMuestra(t1, dt, i); }
    int32_t Indice(TDateTime t) const { return MuestraDeFecha(t1, dt, t); }

    bool Excluida(int32_t i) const { return MuestraExcluida(series_.Filt_Huecos, series_.Filt_Coherencia, i); }
    bool Restringida(int32_t i) const { return series_.Filt_CGM[i] != 0; }
    bool SinConsignaQueLimite(int32_t i) const { return ConsignaSinEfecto(Restringida(i), P(i), CGM(i)); }
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
    bool ConsignaRestringeEstimacion(int32_t i) const {
        return restricciones_interno::ConsignaRestringeEstimacion(CGM(i), Pa);
    }

    struct TPotencias {
        double conCGM = 0;  // under the set-point
        double sinCGM = 0;  // Pm: unrestricted, capped at Pa
    };
    // The model power of sample i evaluated on `parque`: the combined
    // model's own park, or a worker's copy of it. It reads the series and
    // the model and changes the park alone.
    TPotencias PotenciaModelo(TParque_ModeloTeorico& parque, int32_t i) const;

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
    TPotenciasDeCorrida(const TMuestrasEolicas& m, TParque_ModeloCombinado& modelo, int32_t hilos);

    void Anticipar(std::vector<int32_t> muestras);
    TMuestrasEolicas::TPotencias Potencia(int32_t i);
    // Leaves the shared model's park as the one-thread pass leaves it, with
    // the grid of the last sample asked for (the park picture and
    // ValorEnPunto read it): that sample is evaluated on it again when its
    // power came from elsewhere.
    void DejarModeloComoUltimaPedida();

private:
    // Samples handed out to a worker at a time: enough to keep the handing
    // out cheap, few enough to share the end of the list out evenly.
    static constexpr std::size_t MuestrasPorBloque = 64;

    void Evaluar(TParque_ModeloTeorico& parque, int32_t i);

    const TMuestrasEolicas& m_;
    TParque_ModeloCombinado& modelo_;
    int32_t hilos_;
    std::vector<TMuestrasEolicas::TPotencias> potencias_;  // by sample index
    std::vector<uint8_t> conocida_;  // one byte per sample, so that threads write apart
    int32_t ultimaPedida_ = 0;       // the last sample the pass asked for
    int32_t ultimaEnModelo_ = 0;     // the last sample evaluated on the shared model
};

// ------------------------------------------------------------ wind windows

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

TOpcionesSimulacion Opciones(bool sinMatrizFactores, bool velLibre, bool soloTeorico, bool conservarRestringidas,
                             bool estadisticasErrores, int32_t u, const std::string& carpeta, double factorKolmScada,
                             TExcelFile* informe);

// What a window simulation settles before its pass: the clamped period, the
// rules, and the samples whose ratios give the factors after and before the
// window. None of it depends on a model power.
struct TPlanVentana {
    TDateTime ini = 0, fin = 0;
    TReglasSimulacion reglas;
    std::vector<int32_t> juntoDespues, juntoAntes;
};

TPlanVentana PlanearVentana(const TMuestrasEolicas& m, TDateTime fechaIniSim, TDateTime fechaFinSim,
                            TDateTime fechaIniVentana, TDateTime fechaFinVentana, int32_t u);

// Every sample whose model power the window simulation asks for.
std::vector<int32_t> MuestrasDeVentana(const TMuestrasEolicas& m, const TPlanVentana& plan, int32_t u,
                                       bool conservarRestringidas);

// The window simulation once planned: the factors after and before the
// window (in that order), then the pass.
void SimularVentanaPlaneada(const TParque_ModeloCombinado& modelo, const TMuestrasEolicas& m, TPlanVentana plan,
                            const TOpcionesSimulacion& op, TPotenciasDeCorrida& potencias,
                            TDAofRecsEnergiaPorFecha& registros);

}  // namespace restricciones_interno
