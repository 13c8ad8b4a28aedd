#pragma once
// The power curves P(V) of a wind farm's three models for one direction: the
// empirical model's bin powers, the theoretical park's power and the combined
// model's power without set-point cap, at the speeds (at 1.225 kg/m³) of the
// empirical model's bin mid points. The curves tab draws them and saves the
// chart as a JPEG picture under "c:\basura".
#include <string>

#include "numerics/matreal.h"

class TCalibradorParque;
class TGrafico;
class TParque_ModeloCombinado;
class TParque_ModeloTeorico;

// One element per bin of the empirical model, in the bins' order.
struct TCurvasPV {
    TVectR v;      // speed (m/s)
    TVectR MW_ME;  // empirical power (MW)
    TVectR MW_MT;  // theoretical power (MW), capped at the park's own authorised power
    TVectR MW_MC;  // combined power without set-point cap (MW)
};

// The curves at direction d (degrees). `parque` is the park whose power gives
// the theoretical curve (the window's current park, the calibrator's or one
// of the same plant downloaded again), capped at its own authorised power;
// its direction is set to d before each of its powers. The
// combined model runs with a set-point of 10⁶ MW, so that no set-point cuts
// its curve. Needs a calibrator with an empirical model.
TCurvasPV CalcularCurvasPV(TParque_ModeloTeorico& parque, const TCalibradorParque& calibrador,
                           TParque_ModeloCombinado& combinado, double direccion, bool sinMatrizFactores);

// "c:\basura\curvas_MW_PE_MT_", the direction in hundredths of a degree
// truncated toward zero, ".jpg" (270.009° gives 27000); EMathError when that
// number does not fit a 32-bit integer.
std::string ArchivoGraficoCurvasPV(double direccion);

// Saves the chart at 2100 × 1000 pixels, quality 100, into that file.
// EInOutError when "c:\basura" does not exist: the system never creates it.
void GuardarGraficoCurvasPV(TGrafico& grafico, double direccion);
