#pragma once
// What the models tab shows of the data behind an empirical model: the
// Weibull density of the valid speeds at 0, 1, ... 25 m/s, the share of the
// binned samples around each whole direction 0° to 359°, and the range of
// seven series, each bound rounded to the decimals its row shows.
#include <array>
#include <optional>
#include <string>

#include "numerics/matreal.h"

class TParque_ModeloEmpirico;
struct TEstadisticasModeloEmpirico;

// One row of the ranges: the series' label and its rounded minimum and maximum.
struct TFilaRangoME {
    std::string etiqueta;
    double minimo = 0;
    double maximo = 0;
};

struct TEstadisticaDatosME {
    TVectR velocidades, densidadVelocidad;     // 26 points, 0 to 25 m/s
    TVectR direcciones, frecuenciaDireccion;   // 360 points, 0° to 359°
    // Speed, power, pressure, relative humidity, availability, temperature
    // and set-point, in that order.
    std::array<TFilaRangoME, 7> rangos;
};

// From the model's statistics (its speed distribution is needed) and the
// model's direction frequencies.
TEstadisticaDatosME CalcularEstadisticaDatosME(const TEstadisticasModeloEmpirico& estadisticas,
                                               const TParque_ModeloEmpirico& modelo);
// None when the model has no statistics to give (see
// TParque_ModeloEmpirico::Estadisticas).
std::optional<TEstadisticaDatosME> CalcularEstadisticaDatosME(const TParque_ModeloEmpirico& modelo);
