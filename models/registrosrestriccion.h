#pragma once
// The records with which the restriction runs list their windows and their
// energy results. They belong with the combined model, whose header includes
// this one; the runs fill and read them and never write them to a file as
// records.
#include <vector>

#include "numerics/fechas.h"

// Marks a value that is missing in an energy record. Hourly records carry it
// in every field but the date-time and the energy.
inline constexpr double ValorFaltanteEnergia = -111111;

// One restriction window: the time of its first restricted sample and the
// time of the first sample after it that is no longer restricted (outside
// the window).
struct TRecFechasRestriccion {
    TDateTime fechaIni = 0;
    TDateTime fechaFin = 0;

    bool operator==(const TRecFechasRestriccion&) const = default;
};

// One row of estimated energy, of a ten-minute sample or of an hour.
struct TRecEnergiaPorFecha {
    TDateTime fecha = 0;  // the sample's time, or the hour's label
    double ENS = 0;       // energy not supplied [MWh], ValorFaltanteEnergia when no estimate exists
    double PotDato = 0;   // measured power [MW]
    double PotModelo = 0; // adjusted model power [MW]
    double CGM = 0;       // set-point [MW]
    double Meteo1 = 0;    // wind speed [m/s], or irradiance [W/m2] for a solar plant
    double Meteo2 = 0;    // wind direction [degrees], or temperature [degrees C]

    bool operator==(const TRecEnergiaPorFecha&) const = default;
};

// Zero-based growable lists, in time order for windows and in the order of
// appending for energy rows.
using TDAofRecsFechas = std::vector<TRecFechasRestriccion>;
using TDAofRecsEnergiaPorFecha = std::vector<TRecEnergiaPorFecha>;

// A record holding only a date-time and an energy, every other field missing:
// the form of an hourly record.
TRecEnergiaPorFecha RegistroSoloEnergia(TDateTime fecha, double energia);
