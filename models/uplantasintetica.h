#pragma once
// A synthetic wind plant for tests, benchmarks and the demo: a theoretical
// park of twelve 2 MW turbines and a ten-minute series whose power comes
// from that park's own model, with noise and the faults of real data:
// gaps (speed and direction of -1), stuck readings (runs of one repeated
// speed, direction or power), turbines out of service (availability given as
// a count of machines) and restriction windows (a set-point below the
// authorised power that caps the plant).
//
// Everything follows from the seed: the same options write the same bytes.
// The weather is an autoregressive Gaussian process turned into Weibull
// speeds (k = 2), a random walk of direction, and daily and yearly cycles of
// temperature around sea-level pressure.
#include <cstdint>
#include <memory>
#include <string>

#include "numerics/fechas.h"
#include "numerics/matreal.h"

class TParque_ModeloTeorico;

struct TOpcionesPlantaSintetica {
    int32_t nid = 9001;
    uint32_t semilla = 1;
    int32_t dias = 365;
    TDateTime inicio = 45658;  // 2025-01-01 00:00
    bool conFallas = true;     // gaps, stuck readings, outages and restrictions
    double ruidoPotencia = 0.01;  // standard deviation, per unit of the authorised power
};

// The nine series of a wind plant's file, in file order.
struct TSeriesSinteticas {
    TDateTime inicio = 0;
    double periodoHoras = 1.0 / 6.0;
    TVectR Vel, Ang, PE, Temp, Pre, HumRel, CGM, fDisp, VarVel;
};

// The plant's park: twelve 2 MW turbines in two rows, the met mast between
// them, 24 MW authorised.
std::unique_ptr<TParque_ModeloTeorico> CrearParqueSintetico(int32_t nid);

// The park's power at 1.225 kg/m³ and full availability, from the park's own
// model at every 5° of direction and every 0.25 m/s of mast speed up to
// 30 m/s, interpolated linearly between them: the truth the series follow.
class TTablaPotenciaSintetica {
public:
    static TTablaPotenciaSintetica Create(TParque_ModeloTeorico& parque);
    // Power (MW) for a direction (degrees) and a mast speed (m/s).
    double Potencia(double direccion, double velocidad) const;

    static constexpr int32_t Direcciones = 72;
    static constexpr double PasoVelocidad = 0.25;
    static constexpr int32_t Velocidades = 121;

private:
    TMatR tabla_;  // one row per direction, one column per speed
};

// Ten-minute samples with the options' faults. A clean sample's power is the
// table's at the speed the filters will bring to 1.225 kg/m³, scaled by the
// air density and the availability, plus noise, and capped at the
// authorised power and at the set-point.
TSeriesSinteticas GenerarSeriesSinteticas(const TParque_ModeloTeorico& parque, const TTablaPotenciaSintetica& tabla,
                                          const TOpcionesPlantaSintetica& opciones);

// The series as a multi-series text file (format version 1).
void EscribirSeriesSas(const std::string& ruta, const TSeriesSinteticas& series);

struct TPlantaSintetica {
    std::string archivoParque;  // c<nid>_parque_mt.pmt in the plant folder
    std::string archivoSeries;  // c<nid>_series10min.sas in the plant folder
};

// Writes the park and its series into the plant folder of opciones.nid.
TPlantaSintetica GenerarPlantaSintetica(const TOpcionesPlantaSintetica& opciones);
