#pragma once
// Small physical and text helpers shared by the wind models, the restriction
// runs and the main window: air density, the conversion between wind speed and
// wind power density, the compact date stamp of result-file names and
// data-service queries, left padding and the length of a 2-D vector.
//
// Units: speed m/s, air density kg/m³, wind power density MW/m² (the kinetic
// power of the wind through one square metre), temperature °C, pressure hPa,
// relative humidity %, date-times in days since 1899-12-30.
#include <string>
#include <string_view>

#include "numerics/fechas.h"

// Air density at which turbine power curves are given.
inline constexpr double DensidadBase = 1.225;

struct TPunto2D {
    double x = 0;
    double y = 0;
};

// ρ = (0.34848·p − e^(0.061·T)·(0.009·h)) / (273.16 + T); a result outside
// [1.1, 1.3] is taken as 1.18 (NaN passes unchanged).
double DensidadAire(double temperatura, double presion, double humedad);
// ρ / 1.225.
double FactorDensidad(double densidad);
double RelacionDensidad(double densidad);
// v³·(0.5·ρ)/1e6; a negative speed gives a negative density.
double PotenciaDelViento(double velocidad, double densidad);
// Inverse of PotenciaDelViento for non-negative densities, the cube root
// taken as exp(ln(x)/3); a density of 0 gives 0, a negative one gives 0 too.
double VientoDePotencia(double potenciaViento, double densidad);
// YYYYMMDD, followed by HHMM when hour + minute > 0 (seconds never count).
std::string FechaCompacta(TDateTime fecha);
// s with c prepended until it is n characters long; never cut.
std::string RellenarIzquierda(std::string_view s, int n, char c);
std::string DosDigitos(std::string_view s, char c);
double Norma2D(const TPunto2D& p);
