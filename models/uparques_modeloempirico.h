#pragma once
// TParque_ModeloEmpirico: the empirical model of one wind farm, built from
// its ten-minute measured series.
//
// The samples are flagged by the filters (ufiltrosmuestras), then grouped by
// wind direction into 72 sectors 5° apart (each collecting the samples within
// ±5° of its centre, so neighbouring sectors overlap) and by speed into 10
// bins of equal speed width. Per sector and bin a least-squares line gives
// power against wind power density; per sector a capped logistic S-curve of
// power against speed is fitted (uproblemacurvas), and sectors with too few
// points take parameters relaxed from their neighbours. A first set of curves
// ranks the samples, the worst 10 % are set aside, and the curves are fitted
// again. Tables and charts go to the plant folder.
//
// Estimates: PE_CurvaS mixes the S-curves of the two sectors around a
// direction; PE_PorTramos interpolates the bins' powers with a cubic Hermite
// curve whose slopes are the bins' line slopes, and says how many samples
// stand behind the value (−1 when a node it needs has fewer than 10).
//
// Sound behaviour where the plain method would fail or mislead:
// - a bin whose power densities are all equal gets slope 0 and its mean power
//   as intercept, never a failed build;
// - a sector whose fit failed is completed from its neighbours like a thin
//   one, and the console says so when no sector has enough points;
// - the distance filter ranks the valid samples only; a calm valid sample is
//   judged by the curve at speed 0;
// - statistics of no, one or identical speeds answer "no statistics";
// - a numeric failure of a sector's fit (non-finite objective or parameters,
//   a zero denominator in the simple fallback) marks the sector as failed;
//   the fit's other errors are never swallowed;
// - the inverse of a sector's curve outside its domain says so by a flag.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "models/ufiltrosmuestras.h"
#include "numerics/MatEnt.h"
#include "numerics/fddp_conmatr.h"
#include "numerics/fddp_weibull.h"
#include "numerics/fechas.h"
#include "numerics/matreal.h"
#include "numerics/xmatdefs.h"

class TCurvaAerogen;
class TLectorTexto;
class TEscritorTexto;
class TParque_ModeloTeorico;
class TSeriesDeDatos;

// True when direction a lies within h degrees of direction b, both taken
// around the circle.
bool DentroDelSector(double a, double b, double h);

// Cubic Hermite interpolant on an interval of length h at the fraction t.
double HermiteCubica(double y0, double m0, double y1, double m1, double h, double t);

// Hermite interpolation inside one sector between nodes i and i + 1 of the
// rows; cuenta is −1 (and the value 0) when a node whose share is not
// negligible has fewer than 10 samples.
double InterpolarEnSector(double t, double h, double& cuenta, int32_t i, const TVectR& cuentas,
                          const TVectR& valores, const TVectR& pendientes);

// Minimum and maximum of one series over the valid samples.
struct TRangoSerie {
    double minimo = 0;
    double maximo = 0;
};

struct TEstadisticasModeloEmpirico {
    std::unique_ptr<Tf_ddp_Weibull> distribucionVelocidad;
    std::unique_ptr<Tf_ddp_VectDeMuestras> distribucionDireccion;
    TRangoSerie presion, potencia, velocidad, humedad, disponibilidad, temperatura, consigna;
};

class TParque_ModeloEmpirico {
public:
    // Parameters of one sector's S-curve.
    struct TParametrosCurvaS {
        double alfa = 0, vm = 0, Pmax = 0, DeltaP = 0, alfa_varvel = 0;
    };

    // Builds the model from the plant's series file. The percentages bound
    // the powers used by the S-curve fits, as percentages of the authorised
    // power. Without charts (graficar false) the tables are still written.
    // A series file of fewer than nine series or without samples is refused
    // before anything is computed or written.
    static std::unique_ptr<TParque_ModeloEmpirico> Create(TParque_ModeloTeorico& parque,
                                                          const std::string& archivoSeries,
                                                          int32_t porcentajeInf, int32_t porcentajeSup,
                                                          bool graficar = true);
    // Refuses a series file of fewer than the nine series of a wind farm
    // (EErrorQuendal "... tiene <n> series y un parque eólico necesita 9"):
    // the missing ones would be read as zero series. The model build and the
    // wind restriction runs apply this one rule.
    static void ExigirSeriesEolicas(const TSeriesDeDatos& series);
    // The model block at the reader's current line; the model references the
    // given park and has no samples. errc2 and cntMuestras, not stored, are
    // zeros.
    static std::unique_ptr<TParque_ModeloEmpirico> Create_LeerDeTexto(TLectorTexto& f,
                                                                      TParque_ModeloTeorico& parque);
    ~TParque_ModeloEmpirico();
    TParque_ModeloEmpirico(const TParque_ModeloEmpirico&) = delete;
    TParque_ModeloEmpirico& operator=(const TParque_ModeloEmpirico&) = delete;

    // Appends the block (version 2) under the invariant-format switch.
    void GuardarEnTexto(TEscritorTexto& f) const;

    // ---- Direction sectors ----
    int32_t nSectores() const { return ordenadasTramos.nf; }
    int32_t nTramos() const { return bordesTramos.n - 1; }
    double AnguloSector(int32_t k) const;
    // The two sectors around direction d (reduced into [0, 360) first) and
    // their weights; EMathError for a direction that is not finite.
    void SectoresYPesos(int32_t& s1, int32_t& s2, double& w1, double& w2, double d) const;

    // ---- Estimates ----
    // Power (MW) of the S-curves at a direction, a wind power density at
    // 1.225 kg/m³ (MW/m²) and a speed variance; EMathError for a direction
    // that is not finite.
    double PE_CurvaS(double direccion, double pd, double varianza) const;
    // Sector k's curve at speed v (m/s) with speed variance σ².
    double CurvaSSector(int32_t k, double v, double varianza) const;
    // The speed at which sector k's curve gives power P; `valida` is false
    // (and the result 0) when P is outside (−DeltaP, Pmax − DeltaP) or the
    // sector has no curve.
    double VientoCurvaSInversa(int32_t k, double P, bool& valida) const;
    // Power of the bin tables; cuenta is the weighted sample count behind it,
    // or −1 (and the result 0) when the data are too few or the inputs are
    // not finite.
    double PE_PorTramos(double direccion, double pd, double& cuenta) const;

    // ---- Outputs of a model built from a series ----
    // False, with nothing set, when there are no statistics to give (no
    // samples, or fewer than two distinct valid speeds above 0.001 m/s).
    bool Estadisticas(TEstadisticasModeloEmpirico& resultado) const;
    // Share of the binned samples around a direction (0 without samples).
    double FrecuenciaDireccion(double direccion) const;
    void EscribirCurvasS() const;
    void GraficarMuestrasFiltradas() const;
    bool TieneMuestras() const { return series != nullptr; }

    // ---- Steps of the construction ----
    void SeleccionarMuestrasSector(double centro, double semiancho);
    void CalcularCurvasS(int32_t sectores, int32_t tramos, double ensanche, int32_t pasada, int32_t porcentajeInf,
                         int32_t porcentajeSup);
    // Fits sector k's S-curve to its sorted samples; EErrorQuendal for a
    // sector outside 1..nSectores().
    void AjustarCurvaSSector(int32_t k, const TVectR& pvs, const TVectR& potencias, const TVectR& varianzas,
                             const TCurvaAerogen& curvaParque, int32_t porcentajeInf, int32_t porcentajeSup);
    void FiltrarPorDistancia();

    // Referenced, never owned.
    TParque_ModeloTeorico* parque = nullptr;
    int32_t nMuestras = 0;
    TDateTime dtInicio = 0;
    double periodo = 0;  // days; exactly 1/144 after construction
    std::unique_ptr<TSeriesDeDatos> series;
    // The nine series: vectors of the series object (none without samples).
    TVectR *Ang = nullptr, *Vel = nullptr, *PE = nullptr, *Temp = nullptr, *Pre = nullptr, *HumRel = nullptr,
           *fDisp = nullptr, *CGM = nullptr, *VarVel = nullptr;
    TVectR tiempos;
    TDAOfBoolean Filt_Huecos, Filt_Coherencia, Filt_CGM, Filtro_Distancia, Filt_Disponibilidad;
    double coefSuavizado = 0;
    // The samples of the sector being fitted.
    TVectR pvSector, PE_Sector, VarVelSector, tSector;
    // Bin tables: edges and mid points as wind power densities (MW/m²), and
    // per sector and bin the count (−1 below two samples), the line's
    // intercept and slope and the representative power.
    TVectR bordesTramos;
    TMatR cntTramos, ordenadasTramos, pendientesTramos;
    TVectR mediosTramos;
    TMatR PE_Tramos;
    // S-curve parameters per sector; −1 marks a sector without a fit.
    TVectR alfa, vm, Pmax, DeltaP, alfa_varvel, errc2;
    // The last sector fitted: the start of the next fit, carried from sector
    // to sector and from the first pass into the second.
    TParametrosCurvaS ultimoAjuste;
    TVectE cntMuestras;
    // Port addition: whether the construction draws its charts.
    bool graficar = true;

private:
    TParque_ModeloEmpirico() = default;

    // A sector's sorted samples, kept for its chart.
    struct TMuestrasSector {
        TVectR pv, potencia, varianza, tiempo;
    };

    void LeerSeries(const std::string& archivoSeries);
    void SuavizarVelocidad();
    void FiltrarMuestrasDelModelo();
    bool MuestraLimpia(int32_t k) const;
    void PrepararEstadoDeAjuste(int32_t sectores);
    void AjustarTramosSector(int32_t k, const TVectR& pvs, const TVectR& potencias);
    void CompletarSectores(const std::vector<bool>& fallidos);
    // EErrorQuendal when no sector of the pass got an S-curve of its own fit.
    void ExigirAlgunaCurvaSAjustada(int32_t porcentajeInf, int32_t porcentajeSup) const;
    void EscribirCurvasCompletadas(const std::array<TMatR, 5>& completados) const;
    void GraficarClusterSector(int32_t k, const TMuestrasSector& muestras, int32_t pasada) const;
    void GraficarPlanos() const;
    void EscribirSeriesFiltradas() const;
    std::string CarpetaPlanta() const;
    void ExigirMuestras(const char* operacion) const;

    // Sectors whose fit raised a numeric failure in the current pass.
    std::vector<bool> fallidos_;
};
