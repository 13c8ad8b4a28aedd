#pragma once
// Sample filters of a wind farm's ten-minute series. Each sample is tested
// against fixed rules and flagged in five flag sets (element k belongs to
// sample k, element 0 is unused, true excludes the sample):
//   Filt_Huecos          a value is missing or out of range
//   Filt_Disponibilidad  availability out of range, or power above 1.05 Paut
//   Filt_Coherencia      in a run of repeated speed, direction or power
//   Filt_CGM             the set-point held the plant below 0.99 Paut
//   Filtro_Distancia     among the samples worst explained by the first
//                        S-curves (set by the empirical model, cleared here)
// The console reports how many samples each rule removed.
//
// Sound behaviour where the plain rules would let bad data through:
// - a value that is not a number (speed, direction, power, set-point) is a
//   gap, and an availability that is not a number fails the availability
//   test;
// - an air density that cannot be computed (temperature, pressure or
//   humidity not a number) takes the 1.18 kg/m³ fallback;
// - the share printed for a series without samples is 0;
// - the availability scale is judged from the samples that are not gaps.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "numerics/matreal.h"
#include "numerics/xmatdefs.h"

class TParque_ModeloTeorico;

// Shortest run of equal values that the run scans flag (a run must be longer).
inline constexpr int32_t MinimoRepeticiones = 8;

// Flags the samples and reports on the console; with both corrections on, the
// power and speed of every sample that passes the availability test are
// brought to 1.225 kg/m³ and full availability in place. VarVel is not read.
void FiltrarMuestras(const TParque_ModeloTeorico& parque, TVectR& PE, TVectR& Vel, const TVectR& HumRel,
                     const TVectR& Ang, const TVectR& Temp, const TVectR& Pre, const TVectR& CGM,
                     const TVectR& VarVel, TVectR& fDisp, TDAOfBoolean& Filt_Coherencia, TDAOfBoolean& Filt_CGM,
                     TDAOfBoolean& Filt_Huecos, TDAOfBoolean& Filtro_Distancia,
                     TDAOfBoolean& Filt_Disponibilidad, bool corregirPotencia, bool corregirVelocidad);

// Flags (never clears) the samples in runs of more than m equal, unmasked
// values, all but each run's last sample, and returns how many it flagged.
// A masked sample ends a run and starts the next one.
int32_t FiltrarRepetidos(TDAOfBoolean& filtros, const TVectR& serie, int32_t m, const TDAOfBoolean& mascara);

// A reading scanned for runs of repeated values, and the name the console
// gives it: "Muestras filtradas por <nombre> repetida: ".
struct TLecturaVigilada {
    const char* nombre;
    const TVectR& serie;
};

// Flags in Filt_Coherencia the runs of repeated values (FiltrarRepetidos, runs
// longer than MinimoRepeticiones) of each reading and then of potenciaLeida,
// and reports each count. Gaps end runs; for the power, so do the samples
// whose `potencia` lies within `cercaniaConsigna` [MW] of the set-point CGM: a
// plant held at its set-point repeats its power with no meter stuck.
void FiltrarLecturasRepetidas(TDAOfBoolean& Filt_Coherencia, std::initializer_list<TLecturaVigilada> lecturas,
                              const TVectR& potenciaLeida, const TVectR& potencia, const TVectR& CGM,
                              double cercaniaConsigna, const TDAOfBoolean& Filt_Huecos);

// Flags in Filt_CGM the samples, gaps aside, whose set-point held the plant
// below 0.99 of its authorised power, and reports how many.
void FiltrarPorConsigna(TDAOfBoolean& Filt_CGM, const TVectR& CGM, double potenciaAutorizada,
                        const TDAOfBoolean& Filt_Huecos);

// Brings the availability series to per unit: a maximum closer to the
// turbine count than to 1 means percent (maximum above the count) or a count
// of machines, and the console says which. The maximum is taken over the
// samples the mask does not flag (all samples when the mask is empty).
void NormalizarDisponibilidad(TVectR& fDisp, const TParque_ModeloTeorico& parque,
                              const TDAOfBoolean& mascara = {});

// The values of the series, in sample order, at the samples the mask does not
// flag (an empty mask flags none) and that carry none of the listed flags
// (seleccionados false) or at least one of them (seleccionados true).
TDAofNReal SeleccionarMuestras(const std::vector<const TDAOfBoolean*>& filtros, const TVectR& serie,
                               bool seleccionados, const TDAOfBoolean& mascara);

// Flags for n samples, none set.
void ReiniciarMarcas(TDAOfBoolean& marcas, int32_t n);
// How many samples the flags flag (element 0 is no sample).
int32_t ContarMarcas(const TDAOfBoolean& marcas);

// The report line of a filter: label, count, " (", 100·count/total with 3
// significant digits, "% del total de muestras)." (share 0 when total is 0).
std::string LineaDeFiltro(const std::string& etiqueta, int32_t cantidad, int32_t total);
// Writes that line and an empty line to standard output.
void InformarFiltro(const std::string& etiqueta, int32_t cantidad, int32_t total);
