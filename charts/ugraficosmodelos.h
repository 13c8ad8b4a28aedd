#pragma once
// The charts of a wind farm's models shown on the window's hidden tabs, each
// an abscissa series "v" (display format "##.##") with its series drawn over
// it, line and markers, no logo:
// - "Frecuencia_velocidad_WB": a speed density from 0 to 25 m/s, green;
// - "Frecuencia_direccion": a direction frequency from 0° to 359°, red;
// - "PE_Cluster": the P(V) curves of the empirical (green), theoretical
//   (blue) and combined (red markers, no line) models for one direction.
// Every series has marker size 2 and marker pen width 1.
#include <memory>

#include "numerics/matreal.h"

class TGrafico;

std::unique_ptr<TGrafico> GraficoFrecuenciaVelocidad(const TVectR& velocidades, const TVectR& densidades);
std::unique_ptr<TGrafico> GraficoFrecuenciaDireccion(const TVectR& direcciones, const TVectR& frecuencias);
// The title carries the direction (degrees) with one decimal.
std::unique_ptr<TGrafico> GraficoCurvasPV(double direccion, const TVectR& v, const TVectR& MW_ME,
                                          const TVectR& MW_MT, const TVectR& MW_MC);
