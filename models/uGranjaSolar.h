#pragma once
// The empirical model of a solar plant. From the plant's ten-minute series
// (power, availability, temperature, irradiance on the tilted collector
// surface, set-point) and its row of `centrales` the samples are filtered, the
// plant's power is fitted by least squares (normal equations) as a quadratic
// polynomial in irradiance R [W/m2] and temperature T [°C],
//
//   P(R, T) = c1·R + c2·T + c3·R² + c4·R·T + c5·T² + c6,
//
// the worst-fitting tenth of the samples is then marked and the fit is made
// again without it; error statistics and diagnostic charts close the build.
// All work happens at construction; the model has no file of its own.
//
// Sound behaviour where the plain steps would mislead:
// - a fit whose normal equations are singular (fewer than six independent
//   useful samples) raises an error instead of keeping what the elimination
//   left as coefficients; with no useful sample at all the coefficients are 0
//   and the console says so;
// - a temperature, irradiance, power or set-point that is not a number is a
//   gap, and an availability that is not a number fails the availability test;
// - with an authorised power of 0 or no valid sample the error statistics are
//   0, not a division by zero;
// - when no sample passes the filters the console says so, and hints at the
//   availability column when that filter took every sample;
// - the distance marks are read by sample number through MarcaDeDistancia,
//   which answers false past their end (a longer series than the model's).
#include <cstdint>
#include <memory>
#include <string>

#include "numerics/fechas.h"
#include "numerics/matreal.h"
#include "numerics/xmatdefs.h"

class TPgSqlCon;
class TPgSqlRes;
class TSeriesDeDatos;

// What the model takes from the plant's row of `centrales`.
struct TDatosCentralSolar {
    std::string nombre;                  // centralgeneradora
    double potencia_autorizada_mw = 0;   // 0 for an empty cell
    int32_t nid = 0;                     // the plant's database number
    int32_t nid_central_KOLM = 0;        // metering number, 0 for an empty cell
};

// The five series of a solar plant's series file, in file order.
struct TMuestrasSolares {
    TVectR PE;     // series 0: measured electric power [MW]
    TVectR fDisp;  // series 1: availability [%]
    TVectR Temp;   // series 2: temperature [°C]
    TVectR Rad;    // series 3: irradiance on the tilted surface [W/m2]
    TVectR CGM;    // series 4: generation set-point [MW]
    TDateTime dtPrimeraMuestra = 0;
    double PeriodoDias = 0;
};

class TGeneradorSolar {
    struct Clave {};  // only the factories build one

public:
    explicit TGeneradorSolar(Clave);
    ~TGeneradorSolar();
    TGeneradorSolar(const TGeneradorSolar&) = delete;
    TGeneradorSolar& operator=(const TGeneradorSolar&) = delete;

    // Builds the model from the plant's ten-minute series file and the current
    // row of its `centrales` query. The connection is not used. A series file
    // that cannot be read raises its reader's error; one of any other count
    // than five series is refused (ExigirSeriesSolares) before anything is
    // filtered, fitted or drawn.
    static std::unique_ptr<TGeneradorSolar> Create(const std::string& archivoSeries, int32_t nid,
                                                   TPgSqlCon* conexion, TPgSqlRes& fila);
    // The same build from a plant's data and samples already in memory; the
    // five series must have one length (EErrorQuendal otherwise).
    static std::unique_ptr<TGeneradorSolar> Create_DesdeMuestras(const TDatosCentralSolar& central,
                                                                 TMuestrasSolares muestras);
    // Refuses a series file of any other count than the five series of a
    // solar plant (EErrorQuendal): fewer would be read as zero series, more
    // (a wind plant's nine) would be read in the wrong roles, wind speed as
    // power. The model build and the restriction run both apply it.
    static void ExigirSeriesSolares(const TSeriesDeDatos& series);
    // The plant's data from its `centrales` row; nid is the number given.
    static TDatosCentralSolar LeerFilaCentral(TPgSqlRes& fila, int32_t nid);

    // The sample filters on any solar series (of the model only Pa is used).
    // Every flag array gets fDisp.n + 1 entries, all false, before the
    // filters run; fDisp is brought from percent to per unit in place;
    // PE_corregida must hold a copy of PE on entry and gets PE / fDisp for
    // the samples that pass the availability test. Report lines go to the
    // console. The series must hold at least fDisp.n elements.
    void FiltrarMuestras(const TVectR& PE, const TVectR& Rad, const TVectR& Temp, const TVectR& CGM,
                         TVectR& fDisp, TVectR& PE_corregida, TDAOfBoolean& Filt_CGM,
                         TDAOfBoolean& Filt_Coherencia, TDAOfBoolean& Filt_Disponibilidad,
                         TDAOfBoolean& Filt_Huecos, TDAOfBoolean& Filtro_Distancia, TDAOfBoolean& Filt_Total,
                         int32_t& nMuestrasValidas) const;

    // Plant power [MW] by the polynomial, rounded to single precision, at
    // least 0 and at most Pa.
    double Potencia(double R, double T) const;

    // Steps of the construction, each on the model's own fields.
    void AjustarPolinomio();
    void FiltrarPorDistancia();
    void CalcularErrores();
    void SeleccionarCluster(int32_t k);
    void GraficarMuestrasFiltradas() const;
    void GraficarCluster(int32_t k) const;

    // Temperature bands k = 1, 2, 3 of width 35/3 °C from 0 °C; band 1 has no
    // lower edge and band 3 no upper edge.
    static double InicioBanda(int32_t k);
    static double FinBanda(int32_t k);
    static double CentroBanda(int32_t k);
    static bool EnBanda(double T, int32_t k);

    // Whether sample k carries a distance mark; false for k outside the
    // model's samples.
    bool MarcaDeDistancia(int32_t k) const;

    // Read directly by the restriction run and the solar tab.
    double potencia_autorizada_mw = 0;
    int32_t nid = 0;
    int32_t nid_central_KOLM = 0;
    std::string nombre;
    int32_t nMuestrasValidas = 0;
    int32_t nMuestras = 0;
    TDateTime dtPrimeraMuestra = 0;
    double PeriodoDias = 0;
    // The series file read at construction (none for a model built from
    // samples in memory). The five series below are copies of its vectors,
    // so the filters' rescaling of fDisp leaves the file object as read.
    std::unique_ptr<TSeriesDeDatos> series;
    TVectR Rad;
    TVectR PE;
    TVectR PE_corregida;  // PE corrected for availability by the filters
    TVectR Temp;
    TVectR fDisp;         // per unit once the filters have run
    TVectR CGM;
    TDAOfBoolean Filt_Huecos;
    TDAOfBoolean Filt_Coherencia;
    TDAOfBoolean Filt_CGM;
    TDAOfBoolean Filt_Disponibilidad;
    TDAOfBoolean Filtro_Distancia;
    TDAOfBoolean Filt_Total;
    TVectR Coeficientes = TVectR(6);  // c1..c6 of the last fit, 0 before any
    TVectR RadCluster;   // irradiance of the valid samples of the last band selected
    TVectR PE_Cluster;   // their corrected power
    double ErrorMedio = 0;             // per unit of Pa
    double ErrorMedioAbsoluto = 0;     // per unit of Pa
    double ErrorCuadraticoMedio = 0;   // per unit of Pa

private:
    void Construir();
    std::string CarpetaPlanta() const;
};
