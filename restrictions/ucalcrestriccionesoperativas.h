#pragma once
// Operating-restriction estimation: the restriction windows of a plant's
// series, the energy records that the window simulations append and their
// folding into hours, the simulation of a wind farm's series with the
// combined model (one restriction window, or a whole period), the
// model-error matrices by direction sector and speed bin, the restriction
// runs of a wind farm and of a solar plant and their result tables.
//
// A restriction window is a stretch of samples whose set-point lies below the
// authorised power less 0.5 MW. A set-point of -1 or below is no value: it
// neither starts nor ends a window. Samples are located in a series with the
// program's one rule for sample indices (MuestraDeFecha), so an exact sample
// time never falls into the previous sample.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "data/uherramientas.h"
#include "data/useriestemporales.h"
#include "models/registrosrestriccion.h"
#include "models/uparques_modeloteorico.h"
#include "numerics/fechas.h"
#include "numerics/matreal.h"
#include "numerics/xmatdefs.h"

class TParque_ModeloCombinado;
class TParque_ModeloTeorico;
struct TExcelFile;
class TGeneradorSolar;
class TPgSqlCon;
class TVentanaKOLM_;

// ------------------------------------------------------------ windows

// The windows of the set-point series `consignas` (sample 1 at t1, period dt
// in days) that start inside the period [fechaIni, fechaFin], in time order.
// The period is first clamped to the series and handed back clamped. A window
// ends at the first unrestricted sample after it, wherever that lies in the
// series, or one period after the last sample when the restriction is still
// in force there. A period that lies outside the series gives no window.
// Raises EErrorQuendal when dt is not a positive finite number.
TDAofRecsFechas BuscarVentanasDeRestriccion(const TVectR& consignas, TDateTime t1, double dt,
                                            double umbral, TDateTime& fechaIni, TDateTime& fechaFin);

// The same over column `columna` (counted from 1: 7 for a wind farm's
// set-point, 5 for a solar plant's) of a series already read, so that a run
// reads its file once. A series holding fewer series than that column is
// refused with EErrorQuendal rather than read as a zero set-point, which would
// be one long restriction.
TDAofRecsFechas BuscarVentanasDeRestriccion(TSeriesDeDatos& series, double umbral, TDateTime& fechaIni,
                                            TDateTime& fechaFin, int32_t columna);
// The same, reading the series file first. A file that cannot be read fails
// with the reader's error and leaves the period bounds as they were.
TDAofRecsFechas BuscarVentanasDeRestriccion(const std::string& archivoSeries, double umbral,
                                            TDateTime& fechaIni, TDateTime& fechaFin, int32_t columna);

// The two scans of the window search over the set-points with threshold
// `umbral`. Each advances k in place and tells whether it found its sample:
// the start scan the first restricted sample with k <= hasta (k ends past
// `hasta` when there is none); the end scan the first sample that is no longer
// restricted, up to the end of the series (k ends at n + 1 when there is none).
bool BuscarInicioRestriccion(const TVectR& consignas, double umbral, int32_t& k, int32_t hasta);
bool BuscarFinRestriccion(const TVectR& consignas, double umbral, int32_t& k);

// ------------------------------------------------------------ energy records

// Appends one record at the end of the list.
void AgregarEnergiaPorFecha(TDateTime fecha, double energia, double meteo1, double meteo2,
                            double potDato, double potModelo, double consigna,
                            TDAofRecsEnergiaPorFecha& registros);
// Adds the energy to the last record of the list; EErrorQuendal on an empty list.
void SumarEnergiaAlUltimo(double energia, TDAofRecsEnergiaPorFecha& registros);

// The start of the hour that holds t - 10 minutes: a ten-minute sample stamped
// hh:10 to (hh+1):00 belongs to the hour hh:00.
TDateTime EtiquetaHoraria(TDateTime t);
// One record per hour, summing the energies of consecutive records of one
// hour; an hour that holds a missing energy is missing as a whole. Every field
// but the date-time and the energy is ValorFaltanteEnergia.
TDAofRecsEnergiaPorFecha AgruparPorHora(const TDAofRecsEnergiaPorFecha& registros);

// ------------------------------------------------------------ wind simulations

// A wind farm's series file read and filtered once, so that a run with many
// windows neither reads nor filters it again for each one. The nine series
// are those of the file in its order (speed, direction, power, temperature,
// pressure, humidity, set-point, availability, speed variance); the
// availability is the filters' per-unit form. Element k of each flag set
// belongs to sample k (element 0 unused); true excludes or marks the sample.
struct TSeriesEolicasFiltradas {
    std::unique_ptr<TSeriesDeDatos> datos;
    TDAOfBoolean Filt_Huecos;      // a value missing or out of range
    TDAOfBoolean Filt_Coherencia;  // in a run of repeated values
    TDAOfBoolean Filt_CGM;         // the set-point held the plant below 0.99 of its authorised power
};

// Reads the series file and runs the sample filters of `parque` on it, with
// the power and speed corrections off (the filters report on the console).
// A file that cannot be read fails with the reader's error ("Error leyendo
// línea: "); a file of fewer than the nine series is refused with
// EErrorQuendal rather than read as zero series (a zero set-point would be
// one long restriction).
TSeriesEolicasFiltradas LeerYFiltrarSeriesEolicas(const TParque_ModeloTeorico& parque,
                                                  const std::string& archivoSeries);

// Simulates one restriction window [fechaIniVentana, fechaFinVentana) with
// the combined model over [fechaIniSim, fechaFinSim] (the run gives four
// hours on each side), adjusting the model inside the window by the
// measured-to-modelled ratios of the `muestrasBuffer` usable, steady samples
// just before and just after it, and elsewhere by the running ratio of the
// last `muestrasBuffer` pushed samples. Writes the table
// "<carpeta>\c<nid>_ResultadosMC_<start><end>_<u>m.xlt" of the clamped
// period with its summary, appends one record per restricted sample to
// `registros`, shows "Simulando fecha: " rewritten in place on the console
// and ends with "SIMULACION TERMINADA CON EXITO". With `estadisticasErrores`
// it also writes "<carpeta>\c<nid>_Matrices_Errores.xlt". When `informe` is
// given, the simulated rows also go to that spreadsheet report.
//
// A ring length below 1 is refused with EErrorQuendal before anything is
// read or written.
void SimularVentanaEolica(bool sinMatrizFactores, TParque_ModeloCombinado& modelo,
                          const std::string& archivoSeries, const std::string& carpeta, bool velLibre,
                          TDateTime fechaIniSim, TDateTime fechaFinSim, TDateTime fechaIniVentana,
                          TDateTime fechaFinVentana, double factorKolmScada, TDAofRecsEnergiaPorFecha& registros,
                          int32_t muestrasBuffer, bool estadisticasErrores, bool soloTeorico,
                          bool conservarRestringidas, TExcelFile* informe = nullptr);

// The same on a series already read and filtered by LeerYFiltrarSeriesEolicas
// (with the same model's park): what the wind restriction run calls once per
// window. The series is not changed.
void SimularVentanaEolica(bool sinMatrizFactores, TParque_ModeloCombinado& modelo,
                          const TSeriesEolicasFiltradas& series, const std::string& carpeta, bool velLibre,
                          TDateTime fechaIniSim, TDateTime fechaFinSim, TDateTime fechaIniVentana,
                          TDateTime fechaFinVentana, double factorKolmScada, TDAofRecsEnergiaPorFecha& registros,
                          int32_t muestrasBuffer, bool estadisticasErrores, bool soloTeorico,
                          bool conservarRestringidas, TExcelFile* informe = nullptr);

// Simulates the period [fechaIni, fechaFin] of the series file with the
// combined model adjusted throughout by the running ratio of measured to
// modelled power of the last `muestrasBuffer` pushed samples, and estimates
// the energy not generated in every sample of [fechaIniRestriccion,
// fechaFinRestriccion] whose set-point held the farm back. Same table,
// records, console lines and error statistics as SimularVentanaEolica.
//
// A ring length below 1, or a period that holds no sample of the series, is
// refused with EErrorQuendal before anything is written.
void SimularSerieConModeloCombinado(bool sinMatrizFactores, TParque_ModeloCombinado& modelo,
                                    const std::string& archivoSeries, const std::string& carpeta, bool velLibre,
                                    TDateTime fechaIni, TDateTime fechaFin, TDateTime fechaIniRestriccion,
                                    TDateTime fechaFinRestriccion, double factorKolmScada,
                                    TDAofRecsEnergiaPorFecha& registros, int32_t muestrasBuffer,
                                    bool estadisticasErrores, bool soloTeorico, bool conservarRestringidas);

// ------------------------------------------------------------ error matrices

// Marks a statistic that has no sample behind it (or divides by a zero mean).
inline constexpr double ValorVacioErrores = -99999999;

// The statistics of one group of samples (all, day or night).
struct TEstadisticasGrupoErrores {
    TMatR errorAcumulado;    // per cell [MWh]
    TMatR errorMedio;        // per cell, per unit of the authorised power
    TMatR desviacion;        // standard deviation per cell, per unit
    TMatR cantidad;          // samples per cell
    double sumaErrores = 0;  // [MWh]
    double errorMedioGlobal = ValorVacioErrores;
    double desviacionGlobal = ValorVacioErrores;
    double sumaCantidades = 0;
};

struct TEstadisticasErrores {
    TEstadisticasGrupoErrores total, dia, noche;
    double potenciaMediaDato = ValorVacioErrores;  // mean measured power [MW]
    double EMC = ValorVacioErrores;                // root mean squared error / mean measured power
    double error = ValorVacioErrores;              // mean error / mean measured power
    double errorAbsoluto = ValorVacioErrores;      // mean absolute error / mean measured power
};

// The error of a wind-farm model against the measured power, sample by
// sample, in a grid of direction sectors (rows) by speed bins (columns), for
// all samples and apart for daytime and night-time ones. Writing computes the
// statistics from the sums without changing them.
class TMatricesConErroresModelos {
public:
    // EErrorQuendal when the grid has no cell, a span is not positive or the
    // authorised power is not positive.
    static TMatricesConErroresModelos Create(double velocidadLimite, double anguloTotal,
                                             int32_t nSectores, int32_t nTramos,
                                             int32_t horaInicioDia, int32_t horaFinDia,
                                             double potenciaAutorizada);

    // Adds one sample. A sample with a negative or non-finite speed or
    // direction, or a non-finite power, lies in no cell and is not added.
    void Agregar(double potModelo, double potDato, double velocidad, double direccion, TDateTime fecha);

    TEstadisticasErrores Estadisticas() const;
    // Creates the report file anew; the reals go out in the default form.
    void Escribir(const std::string& archivo) const;

    // Row and column of a sample's cell, or false when it lies in none.
    bool CeldaDe(double velocidad, double direccion, int32_t& fila, int32_t& columna) const;
    // Daytime: from the day's start hour included to its end hour excluded,
    // told by the minute of the day rounded to the nearest one.
    bool EsDeDia(TDateTime fecha) const;

private:
    // Sums of one group of samples, per cell.
    struct TSumasGrupo {
        TMatR errorAcumulado;  // sum of errors [MW]
        TMatR errorCuadrado;   // sum of squared errors [MW^2]
        TMatR cantidad;        // sample count
    };

    TMatricesConErroresModelos() = default;
    void SumarEnGrupo(TSumasGrupo& grupo, int32_t fila, int32_t columna, double error);
    TEstadisticasGrupoErrores EstadisticasDeGrupo(const TSumasGrupo& grupo, double& sumaCuadrados) const;

    TSumasGrupo total_, dia_, noche_;
    double sumaErroresAbsolutos_ = 0;  // [MW], of the samples added
    double sumaPotenciaDato_ = 0;      // [MW], of the samples added
    int32_t nSectores_ = 0, nTramos_ = 0;
    double velocidadLimite_ = 0, anguloTotal_ = 0;
    double anchoTramo_ = 0, anchoSector_ = 0;
    int32_t horaInicioDia_ = 0, horaFinDia_ = 0;
    double potenciaAutorizada_ = 0;
};

// ------------------------------------------------------------ result tables
//
// The three tables of a restriction run, tab-separated, each created anew.
// Hourly records come from AgruparPorHora; an energy of ValorFaltanteEnergia
// is a missing hour.

// The hourly table: one row per hourly record (its label as a day count, its
// energy, F and the energy times F) and a totals row over the hours that have
// a value.
void EscribirENSHoraria(const std::string& archivo, const TDAofRecsEnergiaPorFecha& horas, double factorKOLM);

// The day by 24-hour table of the hourly records over [fechaIni, fechaFin],
// each cell the metered-scale energy E·F of its hour (at most Pa) clipped to
// the headroom Pa - k that the metered energy k of that hour left, and a
// console line per cell. Hours are counted from the start of the hour that
// holds fechaIni, so that a start off the whole hour (a series beginning at
// 00:10) still puts every later midnight hour into column 1 of its day;
// `medidasHorarias` element (d - 1)·24 + h belongs to that hour count (see
// MedidasHorariasDelPeriodo). Without them nothing is clipped. Returns the
// accumulated cut [MWh], zero or negative.
double EscribirMatrizRO_DTE(const std::string& archivo, const TDAofRecsEnergiaPorFecha& horas, double factorKOLM,
                            TDateTime fechaIni, TDateTime fechaFin, double potenciaAutorizada,
                            const TVectR* medidasHorarias);

// The ten-minute table: one row per ten minutes from fechaIni over the whole
// days of the period, with the energy, the two meteorological values, the
// model and measured powers and the set-point of the record of that row
// (zeros where there is none).
void EscribirTablaRO_DTE(const TDAofRecsEnergiaPorFecha& registros, TDateTime fechaIni, TDateTime fechaFin,
                         const std::string& archivo, const std::string& tituloMeteo1,
                         const std::string& tituloMeteo2);

// The first hour of the day table: the start of the hour that holds t.
TDateTime InicioDeHora(TDateTime t);
// Rows of the day table: whole days from the first hour to fechaFin, plus one.
int32_t DiasDeLaTabla(TDateTime fechaIni, TDateTime fechaFin);

// ------------------------------------------------------------ metered energy
//
// The hourly metered energy of a plant comes from the metering service as an
// hourly window. The service's base address (scheme, user:password@host and
// port) is the one setting read from this environment variable.
inline constexpr const char* VariableServicioMedicion = "QUENDAL_SERVICIO_MEDICION";

// Path and query of the request: the window path, then "?central=" and the
// metering number, "&dtIni=" and the compact stamp of the start, "&dtFin="
// and the compact stamp of `fechaFinConsulta`.
std::string ConsultaVentanaHoraria(int32_t nidKOLM, TDateTime fechaIni, TDateTime fechaFinConsulta);

// The hourly values of the window laid on the day table's hours: element j
// holds the window's value for InicioDeHora(fechaIni) + (j - 1) hours, or
// -11000 (no data) where the window has no slot for it.
TVectR MedidasHorariasDelPeriodo(const TVentanaKOLM_& ventana, TDateTime fechaIni, int32_t nHoras);

// Asks the metering service for the plant's hourly window and lays it on the
// day table of [fechaIni, fechaFin] (see MedidasHorariasDelPeriodo). With
// `mostrarCantidad` the console shows "N = " and the number of values
// received. When the service's address is not set, the download fails, the
// body is not a window, or the window is not the one asked for (records that
// are not whole, bytes after them, another metering number, a value that is
// not finite, no slot for any hour of the period), the console says so and
// the result is empty: the run goes on without clipping. The user and
// password of the address are never printed.
std::optional<TVectR> DescargarMedidasHorarias(int32_t nidKOLM, TDateTime fechaIni, TDateTime fechaFin,
                                               TDateTime fechaFinConsulta, const TOpcionesDescarga& opciones,
                                               bool mostrarCantidad);

// ------------------------------------------------------------ restriction runs

// The wind-farm restriction run over [fechaIni, fechaFin]: the restriction
// windows of the series (read and filtered once), each simulated with the
// combined model read from `archivoModelo`, the records folded into hours,
// and the hourly, day and ten-minute tables written into `carpeta`. A plant
// with a metering number (above 0) gets its day table clipped by the metered
// energy, asked up to the whole day after the period end.
// `opcionesDescarga` sets the download (the certificate authorities to
// trust, the time-out); the window leaves the defaults (the host's store).
// `proveedor` gives the connection from which a model file whose park block
// is older than version 4 takes its metering factor, as the model readers
// take it; without one such a file is refused, saying so.
// Refused with EErrorQuendal before any table is written: a ring length below
// 1, a start after the end, or a period that holds no sample of the series.
void ProcesarRestriccionesEolico(const std::string& archivoModelo, const std::string& archivoSeries,
                                 const std::string& carpeta, bool sinFactores, bool velLibre, int32_t u,
                                 TDateTime fechaIni, TDateTime fechaFin,
                                 const TOpcionesDescarga& opcionesDescarga = {},
                                 const TProveedorConexion& proveedor = {});

// The solar series of a run, read once, with the sample filters of the
// plant's model run on it once.
struct TSerieSolarFiltrada {
    TVectR PE, fDisp, Temp, Rad, CGM;  // fDisp per unit
    TDAOfBoolean Filt_Huecos, Filt_Coherencia, Filt_CGM;
    TDateTime t1 = 0;   // date-time of sample 1
    double dt = 0;      // sampling period [days]
    int32_t n = 0;      // samples

    // Reads the file (its reader's error when it cannot) and runs the
    // model's filters; a file of fewer than five series is refused.
    static TSerieSolarFiltrada Leer(const TGeneradorSolar& modelo, const std::string& archivoSeries);
};

// One restriction window (inicioVentana, finVentana) of a solar plant,
// simulated over [fechaIni, fechaFin] (clamped to the series) with the
// plant's model, a short-term adjustment of the last u samples and a daylight
// test at the plant's site: one result file per window in `carpeta` and one
// record per restricted daylight sample appended to `registros`. When
// `informe` is given, the simulated rows also go to that spreadsheet report.
// A ring length below 1 is refused with EErrorQuendal.
void SimularVentanaSolar(const TGeneradorSolar& modelo, const TSerieSolarFiltrada& serie,
                         const std::string& carpeta, TDateTime fechaIni, TDateTime fechaFin,
                         TDateTime inicioVentana, TDateTime finVentana, double factorKOLM,
                         TDAofRecsEnergiaPorFecha& registros, int32_t u, TExcelFile* informe = nullptr);
// The same, reading and filtering the series file first.
void SimularVentanaSolar(const TGeneradorSolar& modelo, const std::string& archivoSeries,
                         const std::string& carpeta, TDateTime fechaIni, TDateTime fechaFin,
                         TDateTime inicioVentana, TDateTime finVentana, double factorKOLM,
                         TDAofRecsEnergiaPorFecha& registros, int32_t u, TExcelFile* informe = nullptr);

// The solar restriction run: as the wind run, with the factor F read from the
// plant's row of `centrales` through `conexion`, the solar model and the
// window simulation above; the metered energy is asked up to the period
// end's own stamp. A metering number of 0 or below (an empty cell) is none. A
// factor query that fails ends the run with the database's error before any
// table is written, whatever the connection's raise flag; a plant without a
// value gets F = 0 and a warning. Refused like the wind run.
void ProcesarRestriccionesSolar(TPgSqlCon& conexion, const TGeneradorSolar& modelo,
                                const std::string& archivoSeries, const std::string& carpeta, int32_t u,
                                TDateTime fechaIni, TDateTime fechaFin,
                                const TOpcionesDescarga& opcionesDescarga = {});
