#pragma once
// The spreadsheet report of realisations. Several series, each known in
// several realisations (crónicas) at every time step, go into a new worksheet
// of an open writer: one row per step with a statistic of each series over
// its realisations (average, standard deviation, the value at a probability
// of exceedance, the value at risk between two probabilities, or every
// realisation side by side), and optionally a chart sheet of the result.
//
// Realisation data: data[k][s][r] is the value of series k at step s in
// realisation r, all 0-based. Series 0 is the abscissa series; series 1..H
// are reported. A series with fewer steps is read at its last step. Every
// series must hold at least one step and every step at least one
// realisation; the report refuses anything less before it writes.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "charts/libroexcel.h"
#include "charts/u_ExcelFile.h"
#include "numerics/fechas.h"
#include "numerics/xmatdefs.h"

// Statistic per step and series (one byte; other values are refused).
enum class TTipoValoresAComparar : uint8_t {
    Promedio = 0,
    DesvioEstandar = 1,
    ProbabilidadDeExcedencia = 2,
    ValorEnRiesgo = 3,
    TodasLasCronicas = 4,
};

// What the second column holds: the step's date-time, its probability of
// exceedance s / S, or the step's statistic of series 0.
enum class TTipoAbscisa : uint8_t { Fechas = 0, ProbabilidadDeExcedencia = 1, SerieAbscisa = 2 };

enum class TTipoGrafico : uint8_t { areaApilada = 0, dispersion = 1, linea = 2 };
enum class TTipoEje : uint8_t { Primario = 0, Secundario = 1 };
using TDAOfTTipoGrafico = std::vector<TTipoGrafico>;
using TDAOfTTipoEje = std::vector<TTipoEje>;
using TDAOfTColor = std::vector<TColor>;

// Column labels of the statistics. "DesvE" holds the sample standard
// deviation: the square root of the sum of squared deviations over count - 1
// (0 with fewer than two realisations). The report first written put the
// variance under this label; the label names a standard deviation, and a
// variance, in the square of the series' unit, beside averages and values in
// that unit is read wrongly, so the column holds what its label says. The
// restriction runs never hand the report a writer, so no table written by a
// run depends on it.
inline constexpr std::string_view rs_xls_promedio = "Prom";
inline constexpr std::string_view rs_xls_desviacion_estandar = "DesvE";
inline constexpr std::string_view rs_xls_probabilidad_de_excedencia = "PE_";
inline constexpr std::string_view rs_xls_valor_en_riesgo = "VaR_";
inline constexpr std::string_view rs_xls_todas_las_cronicas = "Todas las crónicas";

using TDatosCronicas = std::span<const TMatOfNReal>;

// "Prom", "DesvE", "PE_ 95.00%", "VaR_ 5.00%" (100·p with 2 decimals and the
// decimal separator in force) or "Todas las crónicas".
std::string TTipoValoresACompararToShortStringSingular(TTipoValoresAComparar tipo, double p);
// The application's chart type: xlAreaStacked (76), xlXYScatterLines (74,
// scatter with markers when `marcadores` is 1) or xlLineMarkers (65), and
// xlLine (4).
int TTipoGraficoToXLConst(TTipoGrafico tipo, int marcadores);
int TTipoEjeToXLConst(TTipoEje eje);

// Statistics of step `paso`: one value per series 0..H into `res`.
void PromedioPorPaso(TDAofNReal& res, TDatosCronicas datos, int paso);
void DesvioPorPaso(TDAofNReal& res, TDatosCronicas datos, int paso);
// Probabilities are taken within [0, 1].
void ProbExcedenciaPorPaso(TDAofNReal& res, TDatosCronicas datos, int paso, double p, bool ordenar);
void VaRPorPaso(TDAofNReal& res, TDatosCronicas datos, int paso, double p, double p2, bool ordenar);
// Every realisation of series 0..H in turn, as many per series as series 1
// has at this step; a series with fewer is read at its last one.
void TodasLasCronicasPorPaso(TDAofNReal& res, TDatosCronicas datos, int paso);

// How a report is laid out; a caller sets only what differs from these, by
// name. Every member has an initialiser, so a designated initialiser may
// leave any of them out without a warning.
struct TOpcionesCronicas {
    // The probability of the exceedance value and, with p2, the bounds of
    // the value at risk; both are taken within [0, 1].
    double p = 0.5;
    // Sort each step's realisations in descending order before taking the
    // value at a probability.
    bool ordenar = false;
    double p2 = 0.5;
    // The worksheet's name, cleaned to a valid one; the chart sheet is "g"
    // and this name.
    std::string nombreHoja{};
    // Goes into the first line, "# titulo tituloEjeValores etiqueta", and
    // titles the chart.
    std::string titulo{};
    // With dates as abscissa, step s is at x0 + s·dx (days); dx also picks
    // the date format (with the hour when under a day) and the chart's
    // category units.
    TDateTime x0 = 0;
    double dx = 1.0 / 144;
    // Adds the chart sheet: one kind, axis and colour per reported series.
    bool conGrafico = false;
    TDAOfTTipoGrafico tiposGrafico{};
    TDAOfTTipoEje ejes{};
    TDAOfTColor colores{};
    // The unit of the values: in the first line and the chart's value axis.
    std::string tituloEjeValores{};
    // Decimals of the values' number format, applied by Excel 2010 only;
    // other versions get "General".
    int32_t decimales = 2;
    // The chart's value axis: automatic bounds, or minimo and maximo.
    bool minimoAutomatico = true;
    bool maximoAutomatico = true;
    double minimo = 0;
    double maximo = 0;
    // When not empty, the first line ends with " Eje2:" and this title.
    std::string tituloEje2{};
    // What the second column holds.
    TTipoAbscisa tipoAbscisa = TTipoAbscisa::Fechas;
    // The abscissa's title; the chart shows none.
    std::string tituloAbscisa{};
};

// Writes the report of `datos`, the statistic `tipo` of each series under
// the names `nombres`, into a new worksheet of `w` and, when
// `opciones.conGrafico` is set, a chart sheet.
void EscribirCronicasExcel(TExcelFile& w, TTipoValoresAComparar tipo, const TDAofString& nombres,
                           TDatosCronicas datos, const TOpcionesCronicas& opciones);

